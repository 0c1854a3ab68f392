#pragma once

#include <QSize>
#include <QWidget>

namespace brindlecast {

class PictureBox;

/// The preview's viewport (Picture2): a white picture box that shows, clipped to itself, the
/// part of the newsletter picture (Picture1) that is moved under it.
class PreviewViewport : public QWidget {
    Q_OBJECT
public:
    explicit PreviewViewport(QWidget* parent);

    /// The newsletter picture inside the viewport.
    PictureBox* picture() const { return mPicture; }
    /// The size within the viewport's border, in twips.
    QSize innerTwips() const;
    /// The whole size of the viewport, border included, in twips.
    QSize outerTwips() const;

private:
    PictureBox* mPicture = nullptr;
};

} // namespace brindlecast
