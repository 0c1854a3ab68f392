#pragma once

#include <QImage>
#include <optional>

namespace brindlecast {

/// The clipboard's picture slot.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setPicture(const QImage& picture) = 0;
    /// The clipboard's picture in `format` (0: whatever picture it holds); nothing when the
    /// clipboard holds no picture or cannot be read right now.
    virtual std::optional<QImage> picture(int format) = 0;
};

} // namespace brindlecast
