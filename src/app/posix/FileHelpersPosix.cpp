// The file helpers on a POSIX system: what Qt's file classes cannot say or do exactly (a link
// is something at a path; a file made for this run is made exclusively, never through a link; an
// input is read without waiting on a named pipe).
#include "Descriptor.h"
#include "app/FileHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace brindlecast {

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    // lstat: a dangling link is still "something at the path".
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

void DeleteFileQuietly(const QString& path) {
    if (path.isEmpty())
        return;
    ::unlink(QFile::encodeName(path).constData());
}

bool IsWritableFolder(const QString& path) {
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(native.constData(), W_OK | X_OK) == 0;
}

bool OwnedByCurrentUser(const QFileInfo& info) {
    return info.ownerId() == ::getuid();
}

static std::runtime_error writeError(const QString& path, int error) {
    return std::runtime_error(QStringLiteral("Cannot write the file %1: %2")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(error)))
                                  .toStdString());
}

void WriteFreshFile(const QString& path, const QByteArray& bytes) {
    const QByteArray native = QFile::encodeName(path);
    // A folder at the path is not ours to remove; unlink fails on it and open reports it.
    ::unlink(native.constData());
    Descriptor fd(::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         S_IRUSR | S_IWUSR));
    if (fd.get() < 0)
        throw writeError(path, errno);
    if (!WriteAll(fd.get(), bytes.constData(), bytes.size())) {
        const int error = errno;
        fd.close();
        ::unlink(native.constData());
        throw writeError(path, error);
    }
    if (fd.close() != 0) {
        const int error = errno;
        ::unlink(native.constData());
        throw writeError(path, error);
    }
}

namespace {

// The file system of pipes made with pipe() (Linux's PIPEFS_MAGIC): what a shell's "<(...)" and
// a piped standard input are, with a writer already at the other end.
constexpr decltype(statfs::f_type) PipeFileSystem = 0x50495045;

QString notRegular(mode_t mode) {
    const char* what = S_ISFIFO(mode)                   ? "a named pipe"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "something else";
    return QStringLiteral("it is %1, not a regular file").arg(QLatin1String(what));
}

} // namespace

InputFile ReadInputFile(const QString& path, qint64 limit) {
    const auto failed = [&](int error) {
        return InputFileError(QString::fromLocal8Bit(std::strerror(error)).toStdString());
    };
    // Without O_NONBLOCK, opening a named pipe waits for a writer, for ever if none comes.
    const Descriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    const int fd = file.get();
    if (fd < 0)
        throw failed(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw failed(errno);
    if (S_ISDIR(st.st_mode))
        throw InputFileError("it is a folder");
    struct statfs fs {};
    const bool pipe =
        S_ISFIFO(st.st_mode) && ::fstatfs(fd, &fs) == 0 && fs.f_type == PipeFileSystem;
    if (!S_ISREG(st.st_mode) && !pipe)
        throw InputFileError(notRegular(st.st_mode).toStdString());
    InputFile input;
    input.id = {quint64(st.st_dev), quint64(st.st_ino)};
    if (S_ISREG(st.st_mode) && st.st_size > limit) {
        input.tooLarge = true;
        return input;
    }
    // A pipe's bytes come as its writer makes them: wait for them.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ReadUpToLimit(input, limit, S_ISREG(st.st_mode) ? st.st_size + 1 : 1 << 16,
                  [&](char* into, qint64 room) -> qint64 {
                      for (;;) {
                          const ssize_t n = ::read(fd, into, size_t(room));
                          if (n >= 0)
                              return n;
                          if (errno != EINTR)
                              throw failed(errno);
                      }
                  });
    return input;
}

} // namespace brindlecast
