#pragma once

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <optional>

class QWidget;

namespace brindlecast {

/// Mouse-pointer values of a window, by their classic codes.
enum class Pointer : int { Default = 0, Hourglass = 11, Custom = 99 };

/// The pointer of one window: a window-wide value (arrow, hourglass or the window's own custom
/// image) that hovering changes: over a push button it becomes the custom image, over the
/// window's background or a frame the arrow, and the hourglass is never replaced by hovering.
class WindowPointer : public QObject {
    Q_OBJECT
public:
    explicit WindowPointer(QWidget* window);

    Pointer MousePointer() const { return mValue; }
    void setMousePointer(Pointer value);

    /// Loads `path` as the window's custom image when it exists; a missing file is no error, a
    /// file that is no readable cursor throws.
    void loadCustomImage(const QString& path);
    bool hasCustomImage() const { return mCustom.has_value(); }
    const std::optional<QCursor>& customImage() const { return mCustom; }

    /// Moving over `button` shows the custom image.
    void watchButton(QWidget* button);
    /// Moving over `area` (the window itself or a frame) shows the arrow.
    void watchBackground(QWidget* area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();

    QPointer<QWidget> mWindow;
    Pointer mValue = Pointer::Default;
    std::optional<QCursor> mCustom;
    QList<QObject*> mButtons;
    QList<QObject*> mBackgrounds;
};

/// Reads a Windows cursor (.cur) file: its picture and the hot spot from its header.
std::optional<QCursor> LoadCursorFile(const QString& path);

} // namespace brindlecast
