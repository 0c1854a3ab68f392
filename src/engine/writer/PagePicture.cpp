// The picture of a document's first page, as the preview shows it.
#include "OfficeProcess.h"
#include "UnoProperties.h"
#include "UnoSupport.h"
#include "WriterDocument.h"
#include "app/Clipboard.h"

#include <QFile>
#include <QImage>
#include <cmath>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>

namespace brindlecast::engine::writer {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// The size of the first page in 1/100 mm, from its page style. The view cursor moves there too:
// the export draws the page holding it.
css::awt::Size firstPageSize(const Reference<css::lang::XComponent>& document) {
    const Reference<css::frame::XModel> model(document, UNO_QUERY_THROW);
    OUString pageStyleName;
    const Reference<css::text::XTextViewCursorSupplier> view(model->getCurrentController(),
                                                             UNO_QUERY);
    if (view.is()) {
        const Reference<css::text::XTextViewCursor> cursor = view->getViewCursor();
        Reference<css::text::XPageCursor>(cursor, UNO_QUERY_THROW)->jumpToFirstPage();
        Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("PageStyleName")) >>= pageStyleName;
    }
    const Reference<css::style::XStyleFamiliesSupplier> families(document, UNO_QUERY_THROW);
    const Reference<css::container::XNameAccess> pageStyles(
        families->getStyleFamilies()->getByName(OUString("PageStyles")), UNO_QUERY_THROW);
    if (pageStyleName.isEmpty() || !pageStyles->hasByName(pageStyleName))
        pageStyleName = OUString("Standard");
    css::awt::Size page(21000, 29700); // A4, should the style not tell
    Reference<css::beans::XPropertySet>(pageStyles->getByName(pageStyleName), UNO_QUERY_THROW)
        ->getPropertyValue(OUString("Size")) >>= page;
    if (page.Width <= 0 || page.Height <= 0)
        page = css::awt::Size(21000, 29700);
    return page;
}

// Without both sizes the picture is stretched to a default shape. The export makes the picture
// one pixel wider and higher than asked, so it is asked for one less.
void exportPage(const Reference<css::lang::XComponent>& document, const QString& path, QSize size) {
    const Reference<css::frame::XStorable> storable(document, UNO_QUERY_THROW);
    storable->storeToURL(
        fileUrl(path),
        properties({property("FilterName", Any(OUString("writer_png_Export"))),
                    property("FilterData",
                             Any(properties(
                                 {property("PixelWidth", Any(sal_Int32(size.width() - 1))),
                                  property("PixelHeight", Any(sal_Int32(size.height() - 1)))})))}));
}

} // namespace

void WriterDocument::copyFirstPageAsPicture() {
    requireOpen();
    const QString picturePath =
        QStringLiteral("%1/page-%2.png").arg(mSession.office->folder()).arg(++mPictureCount);
    QImage picture;
    QSize target;
    try {
        prepareOutput();
        const css::awt::Size page = firstPageSize(mComponent);
        const int width = mSession.pictureSize.logicalWidth * mSession.pictureSize.scale;
        target = QSize(width, int(std::lround(double(width) * page.Height / page.Width)));
        QFile::remove(picturePath);
        exportPage(mComponent, picturePath, target);
        picture.load(picturePath, "PNG");
        QFile::remove(picturePath);
    } catch (...) {
        QFile::remove(picturePath);
        throw mSession.error(
            QStringLiteral("The page picture of %1 could not be made.").arg(mPath));
    }
    if (picture.isNull())
        throw EngineError(
            QStringLiteral("The page picture of %1 could not be made.").arg(mPath).toStdString());
    if (picture.size() != target)
        picture = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int dotsPerMeter = int(std::lround(96.0 * mSession.pictureSize.scale / 0.0254));
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    mSession.clipboard.setPicture(picture);
}

} // namespace brindlecast::engine::writer
