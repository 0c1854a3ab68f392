#include "FileLock.h"

#include <thread>
#include <utility>

namespace brindlecast {

namespace {

constexpr auto PollInterval = std::chrono::milliseconds(25);

} // namespace

FileLock::FileLock(std::intptr_t handle, QByteArray removeOnRelease)
    : mHandle(handle)
    , mRemoveOnRelease(std::move(removeOnRelease)) {}

FileLock::~FileLock() {
    release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : mHandle(std::exchange(other.mHandle, InvalidHandle))
    , mRemoveOnRelease(std::move(other.mRemoveOnRelease)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        mHandle = std::exchange(other.mHandle, InvalidHandle);
        mRemoveOnRelease = std::move(other.mRemoveOnRelease);
    }
    return *this;
}

FileLock LockFileWithin(const QString& path, std::chrono::milliseconds patience,
                        const std::function<void()>& between) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        FileLock lock = TryLockFile(path);
        if (lock.held() || std::chrono::steady_clock::now() >= deadline)
            return lock;
        if (between)
            between();
        std::this_thread::sleep_for(PollInterval);
    }
}

} // namespace brindlecast
