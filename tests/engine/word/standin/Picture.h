#pragma once

#include <string>
#include <windows.h>

namespace standin {

/// Range.CopyAsPicture: an enhanced metafile of the text at a Letter page's size, alone on the
/// clipboard, with `owner` as the clipboard's owner. WordError when the clipboard stays busy.
void copyAsPicture(HWND owner, const std::wstring& text);

} // namespace standin
