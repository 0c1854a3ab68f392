#pragma once

#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QWidget>

namespace brindlecast {

/// A picture box: placed and sized in twips, showing either its picture at the picture's own
/// size (automatic sizing) or what was last drawn on it. Both are kept as ready device pixels,
/// so repainting and moving the box never scale anything. It carries PictureBoxProperty, so
/// that the colour procedures treat it as a picture box.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent);

    /// Holds `picture` and sizes the box to it.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return mPicture; }
    /// Lets go of the picture: the box keeps its size and shows only what is drawn on it.
    void clearPicture();

    /// Draws the `sourceTwips` large top-left part of `picture` over the whole box, scaled.
    /// Throws std::bad_alloc when the surface cannot be had.
    void paintPicture(const QImage& picture, QSizeF sourceTwips);

    QPointF twipsPos() const { return mPos; }
    void moveTwips(QPointF pos);
    QSize twipsSize() const { return mSize; }
    void resizeTwips(QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize devicePixels() const;
    /// Scales `picture` into the box's device pixels and keeps it as what the box shows.
    void keepDrawing(const QImage& picture, QSizeF sourceTwips);

    QImage mPicture;
    QPixmap mDrawing;
    bool mDrawingStale = false;
    QPointF mPos;
    QSize mSize;
};

} // namespace brindlecast
