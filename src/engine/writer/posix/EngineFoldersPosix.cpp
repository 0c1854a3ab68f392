// The engine folder's room check and the office's pipe sockets, which a killed office leaves in
// /tmp, on a POSIX system.
#include "engine/Engine.h"
#include "engine/writer/EngineFolders.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brindlecast::engine::writer {

void RequireRoom(const QString& folder) {
    constexpr size_t ProfileRoom = 1 << 20;
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/room-check"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int error = fd < 0 ? errno : 0;
    const QByteArray zeros(64 * 1024, '\0');
    for (size_t written = 0; !error && written < ProfileRoom; written += size_t(zeros.size())) {
        if (::write(fd, zeros.constData(), size_t(zeros.size())) != zeros.size())
            error = errno ? errno : ENOSPC;
    }
    if (fd >= 0 && ::close(fd) != 0 && !error)
        error = errno;
    ::unlink(path.constData());
    if (error)
        throw EngineError(QStringLiteral("The document engine has no room to work in %1 (%2).")
                              .arg(folder, QString::fromLocal8Bit(std::strerror(error)))
                              .toStdString());
}

// The runtime puts them there, whatever TMPDIR says.
QByteArray PipeSocketPath(const QString& name) {
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(name).toUtf8();
}

void RemoveSocket(const QByteArray& path) {
    struct stat status {};
    if (::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode))
        ::unlink(path.constData());
}

// Only what the office makes for a pipe of ours: a socket of this user directly in /tmp under
// the runtime's prefix.
void RemoveOurPipeSocket(const QByteArray& path) {
    const QByteArray prefix = "/tmp/OSL_PIPE_" + QByteArray::number(::getuid()) + '_';
    if (!path.startsWith(prefix) || path.indexOf('/', prefix.size()) >= 0)
        return;
    struct stat status {};
    if (::lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode) &&
        status.st_uid == ::getuid())
        ::unlink(path.constData());
}

} // namespace brindlecast::engine::writer
