// The file helpers on Windows: a symbolic link or junction is something at a path, and a file
// made for this run is made exclusively, never through a link.
#include "WinFiles.h"
#include "app/FileHelpers.h"

#include <QFileInfo>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace brindlecast {

using namespace win;

namespace {

std::runtime_error writeError(const QString& path, const QString& reason) {
    return std::runtime_error(
        QStringLiteral("Cannot write the file %1: %2").arg(path, reason).toStdString());
}

// Removes what is at `path` to make room for a fresh file: a file or a link itself, never what a
// link leads to. A folder does not open this way and stays; the creation then reports it.
void makeRoom(const QString& path, const std::wstring& native) {
    HANDLE there = OpenNoFollow(native, DELETE | FILE_READ_ATTRIBUTES, OPEN_EXISTING);
    if (there == INVALID_HANDLE_VALUE)
        return;
    const FileKind kind = KindOf(there, native);
    if (kind != FileKind::LinkTarget)
        DeleteOpenFile(there);
    CloseHandle(there);
    if (kind == FileKind::LinkTarget)
        throw writeError(path, QStringLiteral("a link is in its place"));
}

bool writeAll(HANDLE file, const QByteArray& bytes, DWORD& error) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        DWORD chunk = 0;
        const auto wanted = DWORD(std::min<qsizetype>(bytes.size() - written, 1 << 24));
        if (!WriteFile(file, bytes.constData() + written, wanted, &chunk, nullptr)) {
            error = GetLastError();
            return false;
        }
        if (chunk == 0) {
            error = ERROR_DISK_FULL;
            return false;
        }
        written += chunk;
    }
    return true;
}

// Whether the folder's permissions let the user the program runs as create files in it. When they
// cannot be read (a file system that keeps none), only trying would tell: yes.
bool mayAddFiles(const std::wstring& folder) {
    constexpr SECURITY_INFORMATION parts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    GetFileSecurityW(folder.c_str(), parts, nullptr, 0, &size);
    std::vector<BYTE> descriptor(size);
    HANDLE process = nullptr;
    if (size == 0 || !GetFileSecurityW(folder.c_str(), parts, descriptor.data(), size, &size) ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process))
        return true;
    HANDLE token = nullptr;
    const bool duplicated = DuplicateToken(process, SecurityImpersonation, &token);
    CloseHandle(process);
    if (!duplicated)
        return true;
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    const BOOL checked = AccessCheck(descriptor.data(), token, FILE_ADD_FILE, &mapping, &privileges,
                                     &privilegesSize, &granted, &allowed);
    CloseHandle(token);
    return !checked || allowed;
}

} // namespace

bool FileExists(const QString& path) {
    // The attributes of the link itself: a link that leads nowhere is still at the path.
    return !path.isEmpty() &&
           GetFileAttributesW(NativePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteFileQuietly(const QString& path) {
    if (path.isEmpty())
        return;
    const std::wstring native = NativePath(path);
    // A folder does not open this way; what a link leads to is not ours to delete.
    HANDLE file = OpenNoFollow(native, DELETE | FILE_READ_ATTRIBUTES, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (KindOf(file, native) != FileKind::LinkTarget)
        DeleteOpenFile(file);
    CloseHandle(file);
}

bool IsWritableFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    const std::wstring native = NativePath(path);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    return mayAddFiles(native);
}

bool OwnedByCurrentUser(const QFileInfo& info) {
    HANDLE file = CreateFileW(NativePath(info.absoluteFilePath()).c_str(), READ_CONTROL, ShareAll,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ours = OwnedByUs(file);
    CloseHandle(file);
    return ours;
}

void WriteFreshFile(const QString& path, const QByteArray& bytes) {
    const std::wstring native = NativePath(path);
    makeRoom(path, native);
    HANDLE file = CreateFileW(native.c_str(), GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, OwnerOnly(), CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw writeError(path, ErrorText(GetLastError()));
    DWORD error = ERROR_SUCCESS;
    const bool written = writeAll(file, bytes, error);
    if (!written)
        DeleteOpenFile(file);
    CloseHandle(file);
    if (!written)
        throw writeError(path, ErrorText(error));
}

} // namespace brindlecast
