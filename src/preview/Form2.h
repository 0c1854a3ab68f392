#pragma once

#include "ZoomModel.h"
#include "app/FileLock.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class QGroupBox;
class QMouseEvent;
class QNativeGestureEvent;
class QPushButton;
class QScrollBar;
class QWheelEvent;

namespace brindlecast {

struct Services;
class PictureBox;
class PreviewViewport;
class WindowPointer;

/// The preview window: the newsletter picture in a scrollable, zoomable viewport that can be
/// dragged, saving the working document under a name of the user's choosing, and the way back
/// to the main form. From the hand-over on it owns the working document and deletes it on
/// "< Back" and on closing.
///
/// The caller owns the window; it is a top-level window of its own, not a child of the main
/// form, so that hiding the main form leaves it on screen.
class Form2 : public QWidget {
    Q_OBJECT
public:
    /// Builds the window and runs its load.
    Form2(Services& services, QWidget* mainForm);
    ~Form2() override;

    /// Takes over a run's working document with its lock, and the picture to preview (a null
    /// image previews an empty page; the next activation initialises the preview for it). From
    /// here on the window owns the document: it deletes it on "< Back" and on closing, and, while
    /// it still holds the lock when it goes (the program ended by a signal), takes it along.
    void takeOver(const QString& wordFile, FileLock wordFileLock, const QImage& picture);
    /// The working document taken over last; empty before the first.
    const QString& wordFile() const { return mWordFile; }
    /// Whether the window still holds the working document's lock, that is still owns it.
    bool ownsWordFile() const { return mWordFileLock.held(); }

    /// Repaints the preview at the current zoom factor.
    void RedrawImage();
    /// Sets a bar to `percent` of its range; a percentage outside 0..100 is ignored.
    void SetHScrollbarByPercent(QScrollBar* HScrollbar, int percent);
    void SetVScrollbarByPercent(QScrollBar* VScrollbar, int percent);

    /// The zoom factor and the sizes it gives (twips).
    const ZoomState& zoomState() const { return mZoomState; }
    /// Twips per unit of the horizontal and vertical bar; 0 while a bar is disabled.
    int hStep() const { return mHStep; }
    int vStep() const { return mVStep; }

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// What the preview's keys do besides the buttons' own shortcuts.
    enum class PreviewKey {
        LineUp,
        LineDown,
        LineLeft,
        LineRight,
        PageUp,
        PageDown,
        Top,
        Bottom,
        ActualSize
    };

    void buildLayout();
    void buildKeys();
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void Form_Unload();

    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton6_Click();
    void PushButton8_Click();
    void HScroll1_Change(int value);
    void VScroll1_Change(int value);
    void Picture1_MouseDown(QMouseEvent* event);
    void Picture1_MouseMove(QMouseEvent* event);
    void Picture1_MouseUp(QMouseEvent* event);
    void Picture1_MouseWheel(QWheelEvent* event);
    void Picture1_Pinch(QNativeGestureEvent* event);
    void Form_KeyDown(PreviewKey key);

    void ZoomStep(ZoomDirection direction);
    void SetZoom(float factor);
    void SetupScrollbars();
    void setBarByPercent(QScrollBar* bar, int percent);
    void scrollBy(QScrollBar* bar, int step, double twips);
    void zoomBySteps(int steps);

    Services& mServices;
    QPointer<QWidget> mMainForm;

    /// The working document, written by the generation run before the window is shown.
    QString mWordFile;
    /// Marks the working document as this live instance's; given up once the document is
    /// deleted.
    FileLock mWordFileLock;

    PreviewViewport* Picture2 = nullptr;
    PictureBox* Picture1 = nullptr;
    PictureBox* Zoom_Ori = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton8 = nullptr;
    QPushButton* PushButton6 = nullptr;
    WindowPointer* mPointer = nullptr;

    float mAnchorX = 0.0f;
    float mAnchorY = 0.0f;
    int mHStep = 0;
    int mVStep = 0;
    ZoomState mZoomState;
    bool mFirstActivate = true;
    /// What a fine wheel or a pinch has turned towards the next zoom step.
    double mPendingWheelZoom = 0.0;
    double mPendingPinch = 0.0;
    bool mPlaced = false;
};

} // namespace brindlecast
