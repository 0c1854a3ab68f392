#include "Picture.h"

#include "Dispatch.h"

namespace standin {

namespace {

// A Letter page: its frame in 0.01 mm, as metafiles measure, and in twips, as it is drawn.
constexpr RECT PageFrame{0, 0, 21590, 27940};
constexpr SIZE PageTwips{12240, 15840};
constexpr int Margin = 1440;
constexpr int FontHeight = 240;
// Another program may hold the clipboard for a moment; Word waits too.
constexpr int ClipboardAttempts = 100;
constexpr DWORD ClipboardPauseMs = 20;

std::wstring lines(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\v')
            out += L"\r\n";
        else if (c >= 0x20 || c == L'\t')
            out += c;
    }
    return out;
}

HENHMETAFILE drawPage(const std::wstring& text) {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &PageFrame, L"Word stand-in\0Page\0");
    if (!dc)
        throw WordError{4198, L"Command failed"};
    // The metafile's device units are the screen's; twips map onto the frame.
    HDC screen = GetDC(nullptr);
    const int width = MulDiv(PageFrame.right, GetDeviceCaps(screen, HORZRES),
                             GetDeviceCaps(screen, HORZSIZE) * 100);
    const int height = MulDiv(PageFrame.bottom, GetDeviceCaps(screen, VERTRES),
                              GetDeviceCaps(screen, VERTSIZE) * 100);
    ReleaseDC(nullptr, screen);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, PageTwips.cx, PageTwips.cy, nullptr);
    SetViewportExtEx(dc, width, height, nullptr);

    RECT page{0, 0, PageTwips.cx, PageTwips.cy};
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontW(-FontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, L"Times New Roman");
    HGDIOBJ previous = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT body{Margin, Margin, PageTwips.cx - Margin, PageTwips.cy - Margin};
    const std::wstring shown = lines(text);
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &body,
              DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, previous);
    DeleteObject(font);
    return CloseEnhMetaFile(dc);
}

} // namespace

void copyAsPicture(HWND owner, const std::wstring& text) {
    HENHMETAFILE picture = drawPage(text);
    if (!picture)
        throw WordError{4198, L"Command failed"};
    for (int attempt = 1; !OpenClipboard(owner); ++attempt) {
        if (attempt == ClipboardAttempts) {
            DeleteEnhMetaFile(picture);
            throw WordError{4198, L"The clipboard is in use by another program."};
        }
        Sleep(ClipboardPauseMs);
    }
    // The clipboard owns the picture once SetClipboardData has taken it.
    const bool placed = EmptyClipboard() && SetClipboardData(CF_ENHMETAFILE, picture);
    CloseClipboard();
    if (!placed) {
        DeleteEnhMetaFile(picture);
        throw WordError{4198, L"Command failed"};
    }
}

} // namespace standin
