#include "PreviewViewport.h"

#include "PictureBox.h"
#include "app/Theme.h"
#include "app/Twips.h"

namespace brindlecast {

PreviewViewport::PreviewViewport(QWidget* parent)
    : QWidget(parent)
    , mPicture(new PictureBox(this)) {
    setObjectName(QStringLiteral("Picture2"));
    setProperty(PictureBoxProperty, true);
    SetWhiteBackground(this);
    // Hovering the viewport or the picture leaves the window's pointer alone.
    setAttribute(Qt::WA_NoMousePropagation);

    mPicture->setObjectName(QStringLiteral("Picture1"));
    mPicture->setAccessibleName(QStringLiteral("Newsletter Preview"));
    mPicture->setAccessibleDescription(
        QStringLiteral("The first page of the newsletter as it will be saved. Zoom In and Zoom "
                       "Out change its size; drag it or use the scroll bars to see the rest."));
    mPicture->setAttribute(Qt::WA_NoMousePropagation);
}

QSize PreviewViewport::innerTwips() const {
    return contentsRect().size() * TwipsPerPixel;
}

QSize PreviewViewport::outerTwips() const {
    return size() * TwipsPerPixel;
}

} // namespace brindlecast
