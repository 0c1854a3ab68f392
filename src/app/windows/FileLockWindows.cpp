// Locks on Windows: LockFileEx on one byte far beyond the end of the file, through a handle opened
// without following links. The system drops the lock with the handle, however the holding process
// ends. Windows byte-range locks are mandatory, so a lock on the data itself would keep Word from
// reading a working document while the preview holds it; nothing is ever read or written out
// there.
#include "WinFiles.h"
#include "app/FileLock.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

// The status behind the last error: ntdll's, which no SDK header of mingw-w64 declares.
extern "C" LONG NTAPI RtlGetLastNtStatus();

namespace brindlecast {

using namespace win;

namespace {

constexpr LONG StatusDeletePending = LONG(0xC0000056);

std::runtime_error lockFileError(const QString& path, const QString& reason) {
    return std::runtime_error(
        QStringLiteral("The lock file %1 cannot be used: %2. Please remove it.")
            .arg(path, reason)
            .toStdString());
}

std::runtime_error writeError(const QString& path, DWORD error) {
    return std::runtime_error(
        QStringLiteral("Cannot write the file %1: %2").arg(path, ErrorText(error)).toStdString());
}

bool lockFarByte(HANDLE file) {
    OVERLAPPED at{};
    at.OffsetHigh = 0x40000000; // 2^62
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t heldAs(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

QString kindText(FileKind kind) {
    switch (kind) {
    case FileKind::Link:
    case FileKind::LinkTarget:
        return QStringLiteral("a link is in its place");
    case FileKind::Folder:
        return QStringLiteral("a folder is in its place");
    default:
        return QStringLiteral("it is not a regular file");
    }
}

// Why the lock file at `native` did not open, or nothing when it is a holder's file on its way
// out (removed with the last handle), which a later attempt finds gone or new.
std::optional<QString> openFailure(const std::wstring& native, DWORD error) {
    if (error == ERROR_ACCESS_DENIED) {
        if (RtlGetLastNtStatus() == StatusDeletePending)
            return std::nullopt;
        const DWORD attributes = GetFileAttributesW(native.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return kindText(FileKind::Link);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return kindText(FileKind::Folder);
    }
    return ErrorText(error);
}

} // namespace

void FileLock::release() {
    if (mHandle == InvalidHandle)
        return;
    HANDLE file = handleOf(mHandle);
    // Removed while still held, and only when the path still names our file: a waiting holder
    // then finds the path gone or new and locks afresh instead of locking a file nobody else will
    // see.
    if (!mRemoveOnRelease.isEmpty() &&
        StillAt(file, NativePath(QString::fromUtf8(mRemoveOnRelease))))
        DeleteOpenFile(file);
    CloseHandle(file);
    mHandle = InvalidHandle;
    mRemoveOnRelease.clear();
}

FileLock TryLockFile(const QString& path) {
    const std::wstring native = NativePath(path);
    // The holder before us removes the file as it lets go; a lock taken on the file it removed
    // guards nothing, so such a lock is dropped and the file now at the path locked instead.
    for (int attempt = 0; attempt < 16; ++attempt) {
        HANDLE file =
            OpenNoFollow(native, GENERIC_READ | DELETE | READ_CONTROL, OPEN_ALWAYS, OwnerOnly());
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (const auto reason = openFailure(native, error))
                throw lockFileError(path, *reason);
            continue;
        }
        const FileKind kind = KindOf(file, native);
        if (kind != FileKind::Regular || !OwnedByUs(file)) {
            CloseHandle(file);
            throw lockFileError(path, kind == FileKind::Regular
                                          ? QStringLiteral("it belongs to another user")
                                          : kindText(kind));
        }
        if (!lockFarByte(file)) {
            const DWORD error = GetLastError();
            CloseHandle(file);
            if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
                return {};
            throw lockFileError(path, ErrorText(error));
        }
        if (StillAt(file, native))
            return FileLock(heldAs(file), path.toUtf8());
        CloseHandle(file);
    }
    return {};
}

FileLock CreateLockedFile(const QString& path, const QByteArray& bytes) {
    const std::wstring native = NativePath(path);
    HANDLE writer =
        CreateFileW(native.c_str(), GENERIC_WRITE | DELETE, ShareAll, OwnerOnly(), CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (writer == INVALID_HANDLE_VALUE)
        throw writeError(path, GetLastError());
    // The lock is taken before anything is in the file, on a handle that only reads: the engine
    // opens the working document for editing, which Windows refuses while another handle may
    // write to it.
    HANDLE reader = ReOpenFile(writer, GENERIC_READ, ShareAll, 0);
    DWORD error = ERROR_SUCCESS;
    if (reader == INVALID_HANDLE_VALUE || !lockFarByte(reader))
        error = GetLastError();
    for (qsizetype written = 0; error == ERROR_SUCCESS && written < bytes.size();) {
        DWORD chunk = 0;
        const auto wanted = DWORD(std::min<qsizetype>(bytes.size() - written, 1 << 24));
        if (!WriteFile(writer, bytes.constData() + written, wanted, &chunk, nullptr))
            error = GetLastError();
        else if (chunk == 0)
            error = ERROR_DISK_FULL;
        written += chunk;
    }
    if (error != ERROR_SUCCESS) {
        DeleteOpenFile(writer);
        CloseHandle(writer);
        if (reader != INVALID_HANDLE_VALUE)
            CloseHandle(reader);
        throw writeError(path, error);
    }
    CloseHandle(writer);
    return FileLock(heldAs(reader), {});
}

FileLock TryLockExistingFile(const QString& path) {
    const std::wstring native = NativePath(path);
    HANDLE file = OpenNoFollow(native, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    if (KindOf(file, native) != FileKind::Regular || !lockFarByte(file)) {
        CloseHandle(file);
        return {};
    }
    return FileLock(heldAs(file), {});
}

} // namespace brindlecast
