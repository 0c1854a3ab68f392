// The file helpers on a POSIX system: what Qt's file classes cannot say or do exactly (a link
// is something at a path; a file made for this run is made exclusively, never through a link).
#include "app/FileHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
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
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        throw writeError(path, errno);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(native.constData());
            throw writeError(path, error);
        }
        written += n;
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(native.constData());
        throw writeError(path, error);
    }
}

} // namespace brindlecast
