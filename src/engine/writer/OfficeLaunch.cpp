#include "OfficeLaunch.h"

namespace brindlecast::engine::writer {

LaunchThread::LaunchThread()
    : mThread([this] { loop(); }) {}

LaunchThread::~LaunchThread() {
    {
        std::lock_guard lock(mMutex);
        mStopping = true;
    }
    mChanged.notify_all();
    mThread.join();
}

void LaunchThread::run(const std::function<void()>& job) {
    std::unique_lock lock(mMutex);
    mChanged.wait(lock, [this] { return mJob == nullptr; });
    mJob = &job;
    mDone = false;
    mFailure = nullptr;
    mChanged.notify_all();
    mChanged.wait(lock, [this] { return mDone; });
    mJob = nullptr;
    const std::exception_ptr failure = mFailure;
    mChanged.notify_all();
    if (failure)
        std::rethrow_exception(failure);
}

void LaunchThread::loop() {
    std::unique_lock lock(mMutex);
    for (;;) {
        mChanged.wait(lock, [this] { return mStopping || (mJob != nullptr && !mDone); });
        if (mStopping)
            return;
        const std::function<void()>* job = mJob;
        lock.unlock();
        std::exception_ptr failure;
        try {
            (*job)();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        mFailure = failure;
        mDone = true;
        mChanged.notify_all();
    }
}

} // namespace brindlecast::engine::writer
