// Files that hold what must not be lost or seen: a journal added to durably, a secret's file.
#include "Descriptor.h"
#include "app/FileHelpers.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>

namespace brindlecast {

void AppendDurably(const QString& path, const QByteArray& bytes) {
    const auto failed = [&](int error) {
        return std::runtime_error(QStringLiteral("Cannot write the file %1: %2")
                                      .arg(path, QString::fromLocal8Bit(std::strerror(error)))
                                      .toStdString());
    };
    Descriptor fd(::open(QFile::encodeName(path).constData(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                         S_IRUSR | S_IWUSR));
    if (fd.get() < 0)
        throw failed(errno == ELOOP ? EMLINK : errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw failed(errno);
    if (!S_ISREG(st.st_mode))
        throw std::runtime_error(
            QStringLiteral("Cannot write the file %1: it is not a regular file")
                .arg(path)
                .toStdString());
    // fsync, not only close: the line must be on the disk before anything that relies on it.
    if (!WriteAll(fd.get(), bytes.constData(), bytes.size()) || ::fsync(fd.get()) != 0 ||
        fd.close() != 0)
        throw failed(errno);
}

bool OthersMayRead(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return true;
    return (st.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

} // namespace brindlecast
