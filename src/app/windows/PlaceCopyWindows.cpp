// Inputs read and outputs put in place on Windows: only files on a disk are read (a named pipe or
// a device is refused, not waited on), and a made file reaches its name through a new file beside
// it, flushed to the disk and counted before MoveFileExW gives it the name.
#include "WinFiles.h"
#include "app/FileHelpers.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <vector>

namespace brindlecast {

using namespace win;

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle)
        : mHandle(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return mHandle; }
    bool valid() const { return mHandle != INVALID_HANDLE_VALUE; }
    bool close() {
        const bool closed = !valid() || CloseHandle(mHandle);
        mHandle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE mHandle;
};

std::optional<FileId> idOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information))
        return std::nullopt;
    return FileId{information.dwVolumeSerialNumber,
                  quint64(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
}

// The path itself, a link or junction there included, opened to look at, not to use.
Handle openToLook(const std::wstring& native) {
    return Handle(CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

[[noreturn]] void failPlacing(const QString& target, DWORD error) {
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        throw PlaceError(QStringLiteral("no space is left on its disk"), PlaceError::Kind::NoRoom);
    const QString folder = QFileInfo(target).absolutePath();
    if ((error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND) &&
        !QFileInfo(folder).isDir())
        throw PlaceError(QStringLiteral("its folder %1 is gone").arg(folder),
                         PlaceError::Kind::FolderGone);
    throw PlaceError(ErrorText(error), PlaceError::Kind::ThisFile);
}

void refuseToReplace(const std::wstring& target, const std::optional<FileId>& untouchable) {
    const Handle there = openToLook(target);
    if (!there.valid())
        return;
    const FileKind kind = KindOf(there.get(), target);
    if (kind == FileKind::Link || kind == FileKind::LinkTarget)
        throw PlaceError(QStringLiteral("it is a link (a symbolic link or junction), and nothing "
                                        "is written in place of a link or through it"),
                         PlaceError::Kind::ThisFile);
    if (untouchable && idOf(there.get()) == untouchable)
        throw PlaceError(QStringLiteral("it is the template, which is never changed"),
                         PlaceError::Kind::ThisFile);
}

void copyWhole(HANDLE in, HANDLE out, qint64 expected, const QString& source,
               const QString& target) {
    qint64 copied = 0;
    std::vector<char> chunk(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, chunk.data(), DWORD(chunk.size()), &got, nullptr))
            throw PlaceError(
                QStringLiteral("%1 cannot be read (%2)").arg(source, ErrorText(GetLastError())),
                PlaceError::Kind::ThisFile);
        if (got == 0)
            break;
        for (DWORD done = 0; done < got;) {
            DWORD wrote = 0;
            if (!WriteFile(out, chunk.data() + done, got - done, &wrote, nullptr))
                failPlacing(target, GetLastError());
            if (wrote == 0)
                failPlacing(target, ERROR_DISK_FULL);
            done += wrote;
        }
        copied += got;
    }
    if (!FlushFileBuffers(out))
        failPlacing(target, GetLastError());
    LARGE_INTEGER written{};
    if (!GetFileSizeEx(out, &written))
        failPlacing(target, GetLastError());
    if (copied != expected || written.QuadPart != expected)
        throw PlaceError(QStringLiteral("the copy holds %1 of the %2 bytes of %3")
                             .arg(qint64(written.QuadPart))
                             .arg(expected)
                             .arg(source),
                         PlaceError::Kind::ThisFile);
}

} // namespace

std::optional<FileId> FileIdOf(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    const Handle file(CreateFileW(NativePath(path).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() ? idOf(file.get()) : std::nullopt;
}

bool IsLink(const QString& path) {
    if (path.isEmpty())
        return false;
    const std::wstring native = NativePath(path);
    const Handle there = openToLook(native);
    if (!there.valid())
        return false;
    const FileKind kind = KindOf(there.get(), native);
    return kind == FileKind::Link || kind == FileKind::LinkTarget;
}

InputFile ReadInputFile(const QString& path, qint64 limit) {
    const auto failed = [](DWORD error) { return InputFileError(ErrorText(error).toStdString()); };
    const Handle file(CreateFileW(NativePath(path).c_str(), GENERIC_READ, ShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid())
        throw failed(GetLastError());
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file.get(), &information))
        throw failed(GetLastError());
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        throw InputFileError("it is a folder");
    // A pipe or a device would keep the read waiting for what may never come.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        throw InputFileError("it is a pipe or a device, not a regular file");
    InputFile input;
    input.id = idOf(file.get()).value_or(FileId{});
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        throw failed(GetLastError());
    if (size.QuadPart > limit) {
        input.tooLarge = true;
        return input;
    }
    ReadUpToLimit(input, limit, size.QuadPart + 1, [&](char* into, qint64 room) -> qint64 {
        DWORD n = 0;
        if (!ReadFile(file.get(), into, DWORD(std::min<qint64>(room, 1 << 24)), &n, nullptr))
            throw failed(GetLastError());
        return n;
    });
    return input;
}

void PlaceCopy(const QString& source, const QString& target,
               const std::optional<FileId>& untouchable) {
    const std::wstring to = NativePath(target);
    refuseToReplace(to, untouchable);
    const Handle in(CreateFileW(NativePath(source).c_str(), GENERIC_READ, ShareAll, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!in.valid() || !GetFileSizeEx(in.get(), &size))
        throw PlaceError(
            QStringLiteral("%1 cannot be read (%2)").arg(source, ErrorText(GetLastError())),
            PlaceError::Kind::ThisFile);
    const QString folder = QFileInfo(target).absolutePath();
    std::wstring part;
    HANDLE created = INVALID_HANDLE_VALUE;
    while (created == INVALID_HANDLE_VALUE) {
        part =
            NativePath(QStringLiteral("%1/.brindlecast-%2.part")
                           .arg(folder)
                           .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        created = CreateFileW(part.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        if (created == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS)
            failPlacing(target, error);
    }
    Handle out(created);
    try {
        copyWhole(in.get(), out.get(), size.QuadPart, source, target);
        if (!out.close())
            failPlacing(target, GetLastError());
        refuseToReplace(to, untouchable);
        if (!MoveFileExW(part.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            failPlacing(target, GetLastError());
    } catch (...) {
        out.close();
        DeleteFileW(part.c_str());
        throw;
    }
}

} // namespace brindlecast
