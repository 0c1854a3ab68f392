#include "PrivateClipboard.h"

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

} // namespace brindlecast
