#pragma once

// A file descriptor of the POSIX room's files, closed when it goes, and whole writes to one.
#include <QtGlobal>
#include <cerrno>
#include <unistd.h>

namespace brindlecast {

class Descriptor {
public:
    explicit Descriptor(int fd)
        : mFd(fd) {}
    ~Descriptor() {
        if (mFd >= 0)
            ::close(mFd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return mFd; }
    /// Closes now; close() reports what the last writes could not do on some file systems (NFS).
    int close() {
        const int result = ::close(mFd);
        mFd = -1;
        return result;
    }

private:
    int mFd;
};

/// Writes all `size` bytes, going on after a signal. False with errno set when the system takes
/// no more (a write that takes nothing counts as a full disk).
inline bool WriteAll(int fd, const char* bytes, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= n;
    }
    return true;
}

} // namespace brindlecast
