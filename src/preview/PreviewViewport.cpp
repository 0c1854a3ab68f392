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
                       "Out, or Control with plus and minus, change its size; the arrow and page "
                       "keys, the wheel, dragging or the scroll bars show the rest."));
    mPicture->setAttribute(Qt::WA_NoMousePropagation);
}

QSize PreviewViewport::innerTwips() const {
    return contentsRect().size() * TwipsPerPixel;
}

QSize PreviewViewport::outerTwips() const {
    return size() * TwipsPerPixel;
}

} // namespace brindlecast

#include "moc_PreviewViewport.cpp"
