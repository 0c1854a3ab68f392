#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>

namespace brindlecast {

class FileLock;

/// The lock of the lock file at `path`, which is made when missing (readable by its owner only,
/// never through a link) and removed again when the lock is released. Not held when another
/// holder has it. Throws std::runtime_error, naming the path, when a link, a folder or anything
/// other than a regular file of ours is in its place.
FileLock TryLockFile(const QString& path);

/// As TryLockFile, asking again until `patience` has passed and calling `between` (when set)
/// between the attempts, so that a window stays responsive while it waits. Not held when the
/// other holder kept the lock all that time.
FileLock LockFileWithin(const QString& path, std::chrono::milliseconds patience,
                        const std::function<void()>& between);

/// Creates a new file at `path` (exclusively, without following links, readable by its owner
/// only), takes its lock before anything is in it, and writes `bytes` into it. The file stays
/// when the lock is released. Throws std::runtime_error when something is already at the path
/// or the file cannot be written completely (and then leaves nothing behind).
FileLock CreateLockedFile(const QString& path, const QByteArray& bytes);

/// The lock of the regular file at `path`, without creating or following anything. Not held
/// when the file is missing, is not a regular file, or another holder has its lock.
FileLock TryLockExistingFile(const QString& path);

/// A lock on one file (flock on POSIX systems, see posix/FileLockPosix.cpp; LockFileEx on a byte
/// far beyond the file's end on Windows, see windows/FileLockWindows.cpp), held until it is
/// released or the object goes. The system drops it when the holding process ends however it
/// ends, so a lock that can be taken marks what it guards as left behind. Two holders exclude each
/// other whether they are two processes or two openings in one process.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return mHandle != InvalidHandle; }
    /// Gives the lock up (a lock file made by TryLockFile goes first). Idempotent.
    void release();

private:
    // A file descriptor on POSIX systems, a HANDLE on Windows; -1 is no file on either.
    static constexpr std::intptr_t InvalidHandle = -1;

    FileLock(std::intptr_t handle, QByteArray removeOnRelease);
    friend FileLock TryLockFile(const QString&);
    friend FileLock CreateLockedFile(const QString&, const QByteArray&);
    friend FileLock TryLockExistingFile(const QString&);

    std::intptr_t mHandle = InvalidHandle;
    QByteArray mRemoveOnRelease;
};

} // namespace brindlecast
