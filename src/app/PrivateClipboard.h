#pragma once

#include "Clipboard.h"

#include <mutex>

namespace brindlecast {

/// A clipboard of the program's own, through which the engine hands over its page pictures:
/// what the user has copied stays on the desktop's clipboard, and two copies of the program
/// never see each other's pictures. Any thread may use it.
class PrivateClipboard final : public Clipboard {
public:
    void setPicture(const QImage& picture) override;
    std::optional<QImage> picture(int format) override;

private:
    std::mutex mMutex;
    QImage mPicture;
};

} // namespace brindlecast
