#pragma once

#include <QImage>
#include <utility>
#include <vector>
#include <windows.h>

namespace brindlecast::engine::word {

/// A picture taken from the clipboard: a metafile of its own, or a bitmap.
class ClipboardPicture {
public:
    ClipboardPicture() = default;
    explicit ClipboardPicture(HENHMETAFILE metafile)
        : mMetafile(metafile) {}
    explicit ClipboardPicture(QImage bitmap)
        : mBitmap(std::move(bitmap)) {}
    ClipboardPicture(ClipboardPicture&& other) noexcept
        : mMetafile(std::exchange(other.mMetafile, nullptr))
        , mBitmap(std::move(other.mBitmap)) {}
    ClipboardPicture& operator=(ClipboardPicture&&) = delete;
    ~ClipboardPicture() {
        if (mMetafile)
            DeleteEnhMetaFile(mMetafile);
    }

    explicit operator bool() const { return mMetafile || !mBitmap.isNull(); }
    HENHMETAFILE metafile() const { return mMetafile; }
    const QImage& bitmap() const { return mBitmap; }

private:
    HENHMETAFILE mMetafile = nullptr;
    QImage mBitmap;
};

/// The user's system clipboard, kept aside while Word's picture passes through it: every
/// format it holds that can be copied is copied when this is made and put back by restore(),
/// at the latest when this goes, so that the picture never stays in the user's clipboard.
/// Meanwhile a message-only window of the calling thread owns the clipboard; QClipboard is not
/// used, as it belongs to the windows' thread and the engine's calls run on another.
class UserClipboard {
public:
    /// Throws EngineError when the clipboard stays busy (it cannot be kept, so it is not
    /// touched).
    UserClipboard();
    ~UserClipboard();
    UserClipboard(const UserClipboard&) = delete;
    UserClipboard& operator=(const UserClipboard&) = delete;

    /// The picture on the clipboard now: an enhanced metafile, or else a bitmap. Retried while
    /// the clipboard is busy or holds no picture yet; throws EngineError when none comes.
    ClipboardPicture takePicture();
    /// Puts back what the user had; once.
    void restore() noexcept;

private:
    HWND mOwner = nullptr;
    std::vector<std::pair<UINT, HANDLE>> mSaved;
    bool mRestored = false;
};

} // namespace brindlecast::engine::word
