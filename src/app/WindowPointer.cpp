#include "WindowPointer.h"

#include "FileHelpers.h"

#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>
#include <QtEndian>
#include <stdexcept>

namespace brindlecast {

WindowPointer::WindowPointer(QWidget* window)
    : QObject(window)
    , mWindow(window) {}

void WindowPointer::setMousePointer(Pointer value) {
    mValue = value;
    apply();
}

void WindowPointer::apply() {
    if (!mWindow)
        return;
    if (mValue == Pointer::Hourglass)
        mWindow->setCursor(Qt::WaitCursor);
    else if (mValue == Pointer::Custom && mCustom)
        mWindow->setCursor(*mCustom);
    else
        mWindow->unsetCursor();
}

void WindowPointer::loadCustomImage(const QString& path) {
    if (!FileExists(path))
        return;
    auto cursor = LoadCursorFile(path);
    if (!cursor)
        throw std::runtime_error(QStringLiteral("Invalid picture: %1").arg(path).toStdString());
    mCustom = std::move(cursor);
    apply();
}

void WindowPointer::watchButton(QWidget* button) {
    button->setMouseTracking(true);
    button->installEventFilter(this);
    mButtons.append(button);
}

void WindowPointer::watchBackground(QWidget* area) {
    area->setMouseTracking(true);
    area->installEventFilter(this);
    mBackgrounds.append(area);
}

bool WindowPointer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && mValue != Pointer::Hourglass) {
        if (mButtons.contains(watched)) {
            setMousePointer(Pointer::Custom);
        } else if (mBackgrounds.contains(watched)) {
            // A move that a child ignored travels on to its parent; only the bare area counts.
            const auto* area = static_cast<QWidget*>(watched);
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (!area->childAt(at))
                setMousePointer(Pointer::Default);
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<QCursor> LoadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    // ICONDIR (reserved, type 2 = cursor, count) then the first entry, whose colour-plane and
    // bit-count fields hold the hot spot in a cursor file.
    constexpr int HeaderSize = 6 + 16;
    if (bytes.size() < HeaderSize || qFromLittleEndian<quint16>(bytes.constData() + 2) != 2)
        return std::nullopt;
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    // Qt's icon reader takes cursors once the type field says "icon"; the layouts are the same.
    QByteArray asIcon = bytes;
    asIcon[2] = 1;
    QImage image;
    if (!image.loadFromData(asIcon, "ICO") || image.isNull())
        return std::nullopt;
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace brindlecast

#include "moc_WindowPointer.cpp"
