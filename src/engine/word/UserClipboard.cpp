#include "UserClipboard.h"

#include "engine/Engine.h"

#include <cstring>
#include <optional>

namespace brindlecast::engine::word {

namespace {

// Another program may hold the clipboard open for a moment (clipboard viewers do right after
// each change): a thousand tries, as for the picture itself, within two seconds.
template <class Try> bool retried(Try attempt) {
    const ULONGLONG deadline = GetTickCount64() + 2000;
    for (int i = 0; i < 1000; ++i) {
        if (attempt())
            return true;
        if (GetTickCount64() >= deadline)
            break;
        Sleep(1);
    }
    return false;
}

HWND makeOwner() {
    static const wchar_t* const ClassName = L"BrindlecastClipboardOwner";
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = ClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    HWND owner = registered ? CreateWindowExW(0, ClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                              nullptr, GetModuleHandleW(nullptr), nullptr)
                            : nullptr;
    if (!owner)
        throw EngineError("No window can be made to use the clipboard with.");
    return owner;
}

HANDLE copyOfGlobal(HANDLE data) {
    const SIZE_T size = GlobalSize(data);
    const void* from = size ? GlobalLock(data) : nullptr;
    if (!from)
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (void* to = copy ? GlobalLock(copy) : nullptr) {
        std::memcpy(to, from, size);
        GlobalUnlock(copy);
    }
    GlobalUnlock(data);
    return copy;
}

HANDLE copyOfMetafilePicture(HANDLE data) {
    HANDLE copy = copyOfGlobal(data);
    auto* picture = copy ? static_cast<METAFILEPICT*>(GlobalLock(copy)) : nullptr;
    if (!picture)
        return copy;
    picture->hMF = CopyMetaFileW(picture->hMF, nullptr);
    const bool copied = picture->hMF != nullptr;
    GlobalUnlock(copy);
    if (!copied) {
        GlobalFree(copy);
        return nullptr;
    }
    return copy;
}

// A copy that outlives the clipboard's content; none for what cannot be copied (palettes,
// owner-drawn and private handles).
HANDLE copyOf(UINT format, HANDLE data) {
    switch (format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
        return CopyImage(data, IMAGE_BITMAP, 0, 0, 0);
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
        return CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr);
    case CF_METAFILEPICT:
    case CF_DSPMETAFILEPICT:
        return copyOfMetafilePicture(data);
    case CF_PALETTE:
    case CF_OWNERDISPLAY:
        return nullptr;
    default:
        if ((format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
            (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST))
            return nullptr;
        return copyOfGlobal(data);
    }
}

void freeCopy(UINT format, HANDLE data) {
    switch (format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
        DeleteObject(data);
        break;
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
        break;
    case CF_METAFILEPICT:
    case CF_DSPMETAFILEPICT:
        if (auto* picture = static_cast<METAFILEPICT*>(GlobalLock(data))) {
            DeleteMetaFile(picture->hMF);
            GlobalUnlock(data);
        }
        GlobalFree(data);
        break;
    default:
        GlobalFree(data);
    }
}

// A device-independent bitmap as a BMP file, which QImage reads.
QImage imageOfDib(HANDLE data) {
    const SIZE_T size = GlobalSize(data);
    const auto* dib = size >= sizeof(BITMAPINFOHEADER)
                          ? static_cast<const BITMAPINFOHEADER*>(GlobalLock(data))
                          : nullptr;
    if (!dib)
        return {};
    DWORD colours = dib->biClrUsed;
    if (!colours && dib->biBitCount <= 8)
        colours = 1u << dib->biBitCount;
    DWORD masks = dib->biSize == sizeof(BITMAPINFOHEADER) && dib->biCompression == BI_BITFIELDS
                      ? 3 * sizeof(DWORD)
                      : 0;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfSize = DWORD(sizeof file + size);
    file.bfOffBits = DWORD(sizeof file + dib->biSize + masks + colours * sizeof(RGBQUAD));
    QByteArray bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(dib), qsizetype(size));
    GlobalUnlock(data);
    return QImage::fromData(bytes, "BMP");
}

ClipboardPicture pictureOnClipboard() {
    if (HANDLE metafile = GetClipboardData(CF_ENHMETAFILE)) {
        if (HENHMETAFILE copy = CopyEnhMetaFileW(static_cast<HENHMETAFILE>(metafile), nullptr))
            return ClipboardPicture(copy);
    }
    // Also synthesised by the system from a plain bitmap.
    if (HANDLE dib = GetClipboardData(CF_DIB)) {
        if (QImage image = imageOfDib(dib); !image.isNull())
            return ClipboardPicture(image);
    }
    return {};
}

} // namespace

UserClipboard::UserClipboard()
    : mOwner(makeOwner()) {
    if (!retried([this] { return OpenClipboard(mOwner) != 0; })) {
        DestroyWindow(mOwner);
        throw EngineError("The clipboard is in use by another program, so Word's picture of "
                          "the newsletter cannot pass through it. Please try again.");
    }
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        if (HANDLE data = GetClipboardData(format)) {
            if (HANDLE copy = copyOf(format, data))
                mSaved.emplace_back(format, copy);
        }
    }
    CloseClipboard();
}

UserClipboard::~UserClipboard() {
    restore();
    DestroyWindow(mOwner);
}

ClipboardPicture UserClipboard::takePicture() {
    std::optional<ClipboardPicture> picture;
    retried([&] {
        if (!OpenClipboard(mOwner))
            return false;
        ClipboardPicture found = pictureOnClipboard();
        CloseClipboard();
        if (!found)
            return false;
        picture.emplace(std::move(found));
        return true;
    });
    if (!picture)
        throw EngineError("Word put no picture of the newsletter on the clipboard.");
    return std::move(*picture);
}

void UserClipboard::restore() noexcept {
    if (std::exchange(mRestored, true))
        return;
    // Emptied even when the user had nothing there: the picture must not stay.
    if (retried([this] { return OpenClipboard(mOwner) != 0; })) {
        EmptyClipboard();
        for (auto& [format, data] : mSaved) {
            if (!SetClipboardData(format, data))
                freeCopy(format, data);
        }
        CloseClipboard();
    } else {
        for (auto& [format, data] : mSaved)
            freeCopy(format, data);
    }
    mSaved.clear();
}

} // namespace brindlecast::engine::word
