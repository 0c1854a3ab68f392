// Putting a made file in place on a POSIX system: a new file beside the target, flushed to the
// disk and counted before rename() gives it the target's name. rename() replaces the name, never
// what a link there leads to, and never leaves the name without a whole file.
#include "Descriptor.h"
#include "app/FileHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace brindlecast {

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void failPlacing(const QString& target, int error) {
    if (error == ENOSPC || error == EDQUOT)
        throw PlaceError(QStringLiteral("no space is left on its disk"), PlaceError::Kind::NoRoom);
    const QString folder = QFileInfo(target).absolutePath();
    if ((error == ENOENT || error == ENOTDIR) && !QFileInfo(folder).isDir())
        throw PlaceError(QStringLiteral("its folder %1 is gone").arg(folder),
                         PlaceError::Kind::FolderGone);
    throw PlaceError(systemReason(error), PlaceError::Kind::ThisFile);
}

// What may not be replaced: checked before the bytes are written, and again just before the
// rename, for what may have come in the meantime.
void refuseToReplace(const QByteArray& target, const std::optional<FileId>& untouchable) {
    struct stat st {};
    if (::lstat(target.constData(), &st) != 0)
        return;
    if (S_ISLNK(st.st_mode))
        throw PlaceError(QStringLiteral("it is a symbolic link, and nothing is written in place "
                                        "of a link or through it"),
                         PlaceError::Kind::ThisFile);
    if (untouchable && FileId{quint64(st.st_dev), quint64(st.st_ino)} == *untouchable)
        throw PlaceError(QStringLiteral("it is the template, which is never changed"),
                         PlaceError::Kind::ThisFile);
}

// The new file beside the target, under a hidden name of its own.
Descriptor createBeside(const QString& target, QByteArray& name) {
    const QString folder = QFileInfo(target).absolutePath();
    for (;;) {
        name = QFile::encodeName(
            QStringLiteral("%1/.brindlecast-%2.part")
                .arg(folder)
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        const int fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            return Descriptor(fd);
        if (errno != EEXIST)
            failPlacing(target, errno);
    }
}

void copyWhole(int in, int out, qint64 expected, const QString& source, const QString& target) {
    qint64 copied = 0;
    std::vector<char> chunk(1 << 16);
    for (;;) {
        const ssize_t got = ::read(in, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw PlaceError(
                QStringLiteral("%1 cannot be read (%2)").arg(source, systemReason(errno)),
                PlaceError::Kind::ThisFile);
        if (got == 0)
            break;
        if (!WriteAll(out, chunk.data(), got))
            failPlacing(target, errno);
        copied += got;
    }
    // A file system that takes the bytes but keeps them only in memory says so here at last.
    if (::fsync(out) != 0)
        failPlacing(target, errno);
    struct stat written {};
    if (::fstat(out, &written) != 0)
        failPlacing(target, errno);
    if (copied != expected || written.st_size != expected)
        throw PlaceError(QStringLiteral("the copy holds %1 of the %2 bytes of %3")
                             .arg(qint64(written.st_size))
                             .arg(expected)
                             .arg(source),
                         PlaceError::Kind::ThisFile);
}

} // namespace

std::optional<FileId> FileIdOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileId{quint64(st.st_dev), quint64(st.st_ino)};
}

bool IsLink(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &st) == 0 &&
           S_ISLNK(st.st_mode);
}

void PlaceCopy(const QString& source, const QString& target,
               const std::optional<FileId>& untouchable) {
    const QByteArray to = QFile::encodeName(target);
    refuseToReplace(to, untouchable);
    const Descriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat from {};
    if (in.get() < 0 || ::fstat(in.get(), &from) != 0)
        throw PlaceError(QStringLiteral("%1 cannot be read (%2)").arg(source, systemReason(errno)),
                         PlaceError::Kind::ThisFile);
    QByteArray part;
    Descriptor out = createBeside(target, part);
    try {
        copyWhole(in.get(), out.get(), qint64(from.st_size), source, target);
        // A replaced file's permissions stay, as a person who set them expects.
        struct stat old {};
        if (::stat(to.constData(), &old) == 0 && S_ISREG(old.st_mode))
            ::fchmod(out.get(), old.st_mode & 07777);
        if (out.close() != 0)
            failPlacing(target, errno);
        refuseToReplace(to, untouchable);
        if (::rename(part.constData(), to.constData()) != 0)
            failPlacing(target, errno);
    } catch (...) {
        ::unlink(part.constData());
        throw;
    }
}

} // namespace brindlecast
