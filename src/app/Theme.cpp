#include "Theme.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QWidget>
#include <stdexcept>

namespace brindlecast {

static void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

static bool isPictureBox(const QWidget* widget) {
    return widget->property(PictureBoxProperty).toBool();
}

static void colourControls(QWidget* window, bool includePictureBoxes) {
    const QColor face = window->palette().color(QPalette::Button);
    setBackground(window, face);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        const bool picture = isPictureBox(child);
        if (picture ? includePictureBoxes
                    : (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
                       qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child)))
            setBackground(child, face);
    }
}

void ApplySkin(QWidget* form, const QString& programFolder) {
    const QFileInfo skin(programFolder + QLatin1String(SkinFile));
    // A directory listing of normal files only: hidden entries and folders do not count.
    const QStringList found =
        skin.dir().entryList(QStringList{skin.fileName()}, QDir::Files | QDir::NoDotAndDotDot);
    if (!found.contains(skin.fileName()))
        return;
    colourControls(form, true);
    QFile file(skin.filePath());
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("Cannot read the skin file %1").arg(skin.filePath()).toStdString());
    form->setStyleSheet(QString::fromUtf8(file.readAll()));
}

void SetButtonFaceColors(QWidget* window) {
    colourControls(window, false);
}

QFont ArialFont(qreal points, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void SetWhiteBackground(QWidget* widget) {
    setBackground(widget, Qt::white);
}

void CentreOnScreen(QWidget* window, const QScreen* screen) {
    if (!screen)
        return;
    // Before a window is first shown its frame is not known; both windows are placed then or
    // as they are shown, so the frame is left out alike for both.
    QRect placed = window->geometry();
    placed.moveCenter(screen->availableGeometry().center());
    window->move(placed.topLeft());
}

} // namespace brindlecast
