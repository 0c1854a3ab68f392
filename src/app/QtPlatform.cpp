#include "QtPlatform.h"

#include <QTime>

namespace brindlecast {

void PrivateClipboard::setPicture(const QImage& picture) {
    std::lock_guard lock(mMutex);
    mPicture = picture;
}

std::optional<QImage> PrivateClipboard::picture(int /*format*/) {
    std::lock_guard lock(mMutex);
    if (mPicture.isNull())
        return std::nullopt;
    return mPicture;
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
