#include "QtPlatform.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMimeData>
#include <QTime>
#include <QUrl>

namespace brindlecast {

void QtClipboard::setPicture(const QImage& picture) {
    QGuiApplication::clipboard()->setImage(picture);
}

std::optional<QImage> QtClipboard::picture(int /*format*/) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return std::nullopt;
    QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull())
        return std::nullopt;
    return image;
}

void DesktopShell::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void TimeSeededRandom::randomize() {
    // Mixed with the previous state: several reseeds within one second must not repeat a draw.
    const auto seconds = unsigned(QTime::currentTime().msecsSinceStartOfDay() / 1000);
    mEngine.seed(seconds ^ mEngine());
}

double TimeSeededRandom::next() {
    return std::generate_canonical<double, 53>(mEngine);
}

} // namespace brindlecast
