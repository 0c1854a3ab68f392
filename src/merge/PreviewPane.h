#pragma once

#include <QImage>
#include <QPoint>
#include <QScrollArea>

class QLabel;

namespace brindlecast {

/// One recipient's newsletter as a picture: zoomed by the buttons beside it, Ctrl with +, -
/// and 0, or Ctrl with the wheel; scrolled by the wheel and the bars; dragged with the mouse.
/// Opens fitted to its width.
class PreviewPane : public QScrollArea {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    /// Shows `picture`, described for a screen reader as `description`; the zoom stays.
    void showPicture(const QImage& picture, const QString& description);
    /// Shows a sentence in place of a picture: a preview being made, or why there is none.
    void showText(const QString& text);

    /// The picture shown; null while a sentence is.
    const QImage& picture() const { return mPicture; }
    /// What a screen reader says of the picture, or the sentence shown.
    QString description() const;

    /// The zoom factor; 0 while it follows the pane's width.
    double zoom() const { return mZoom; }

public slots:
    void zoomIn();
    void zoomOut();
    void actualSize();
    void fitWidth();

signals:
    void zoomChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    /// Steps one zoom step up (+1) or down (-1) from what is shown.
    void step(int direction);
    void rescale();
    double shownFactor() const;

    QLabel* mLabel = nullptr;
    QImage mPicture;
    double mZoom = 0;
    QPoint mDragFrom;
    bool mDragging = false;
};

} // namespace brindlecast
