// Locks on a POSIX system: flock on a descriptor opened without following links. The kernel
// drops the lock with the last descriptor, however the holding process ends.
#include "app/FileLock.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brindlecast {

namespace {

std::runtime_error lockFileError(const QString& path, const QString& reason) {
    return std::runtime_error(
        QStringLiteral("The lock file %1 cannot be used: %2. Please remove it.")
            .arg(path, reason)
            .toStdString());
}

QString errorText(int error) {
    if (error == ELOOP)
        return QStringLiteral("a link is in its place");
    if (error == EISDIR)
        return QStringLiteral("a folder is in its place");
    return QString::fromLocal8Bit(std::strerror(error));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when `path` still names the file open at `fd`.
bool stillAt(int fd, const QByteArray& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 &&
           sameFile(open, named);
}

} // namespace

void FileLock::release() {
    if (mHandle == InvalidHandle)
        return;
    const int fd = int(mHandle);
    // Removed while still held, and only when it is still our file: a waiting holder then finds
    // the path gone or new and locks afresh instead of locking a file nobody else will see.
    if (!mRemoveOnRelease.isEmpty() && stillAt(fd, mRemoveOnRelease))
        ::unlink(mRemoveOnRelease.constData());
    ::close(fd);
    mHandle = InvalidHandle;
    mRemoveOnRelease.clear();
}

FileLock TryLockFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    // The holder before us removes the file as it lets go; a lock taken on the file it removed
    // guards nothing, so such a lock is dropped and the file now at the path locked instead.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd =
            ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK,
                   S_IRUSR | S_IWUSR);
        if (fd < 0)
            throw lockFileError(path, errorText(errno));
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
            ::close(fd);
            throw lockFileError(path, S_ISREG(status.st_mode)
                                          ? QStringLiteral("it belongs to another user")
                                          : QStringLiteral("it is not a regular file"));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK || error == EINTR)
                return {};
            throw lockFileError(path, errorText(error));
        }
        if (stillAt(fd, native))
            return FileLock(fd, native);
        ::close(fd);
    }
    return {};
}

FileLock CreateLockedFile(const QString& path, const QByteArray& bytes) {
    const QByteArray native = QFile::encodeName(path);
    const auto fail = [&](int error) {
        return std::runtime_error(QStringLiteral("Cannot write the file %1: %2")
                                      .arg(path, QString::fromLocal8Bit(std::strerror(error)))
                                      .toStdString());
    };
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        throw fail(errno);
    FileLock lock(fd, {});
    const auto giveUp = [&](int error) {
        lock.release();
        ::unlink(native.constData());
        return fail(error);
    };
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw giveUp(errno);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw giveUp(n < 0 ? errno : ENOSPC);
        written += n;
    }
    return lock;
}

FileLock TryLockExistingFile(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return {};
    }
    return FileLock(fd, {});
}

} // namespace brindlecast
