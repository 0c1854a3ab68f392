#pragma once

// What the Windows side of the file helpers and the locks share: opening without following
// links, telling what an open handle is, and removing exactly the file a handle has open.
#include <QString>
#include <string>
#include <windows.h>

namespace brindlecast::win {

inline constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

/// `path` as the wide-character calls take it.
std::wstring NativePath(const QString& path);

/// The system's own description of the error `code`, without a trailing line end.
QString ErrorText(DWORD code);

/// CreateFileW on the path itself: a symbolic link or junction there is opened, not followed.
HANDLE OpenNoFollow(const std::wstring& path, DWORD access, DWORD disposition,
                    SECURITY_ATTRIBUTES* security = nullptr);

enum class FileKind {
    Regular,
    /// A symbolic link or junction itself: removing it through the handle removes the link.
    Link,
    /// What a link leads to, reached through a link that Windows does not show as a reparse point
    /// (Wine shows a POSIX symbolic link as the file it leads to): the file's final name is not
    /// the path's. Removing it through the handle would remove what the link leads to.
    LinkTarget,
    Folder,
    Other
};

/// What `handle`, opened with OpenNoFollow from `path`, has open.
FileKind KindOf(HANDLE handle, const std::wstring& path);

/// True when `path` names, without following a link, the file `handle` has open.
bool StillAt(HANDLE handle, const std::wstring& path);

/// Removes the file `handle` has open (it needs DELETE access), whatever is at its path by now;
/// its name goes at once where the file system allows, otherwise with the last handle.
bool DeleteOpenFile(HANDLE handle);

/// Security attributes that give the user the program runs as, and no one else, access to a
/// file made with them.
SECURITY_ATTRIBUTES* OwnerOnly();

/// True when the owner of the object `handle` has open is the user the program runs as (or the
/// owner the system gives that user's new files, such as Administrators when elevated).
bool OwnedByUs(HANDLE handle);

} // namespace brindlecast::win
