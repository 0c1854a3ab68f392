#include "JobThread.h"

#include <utility>

namespace brindlecast::engine {

JobThread::JobThread()
    : mThread([this] { loop(); }) {}

JobThread::~JobThread() {
    {
        std::lock_guard lock(mMutex);
        mQuitting = true;
    }
    mChanged.notify_all();
    mThread.join();
}

void JobThread::handOver(const std::function<void()>& job) {
    mJob = &job;
    mDone = false;
    mFailure = nullptr;
    mChanged.notify_all();
}

bool JobThread::start(const std::function<void()>& job) {
    std::lock_guard lock(mMutex);
    if (mJob)
        return false;
    handOver(job);
    return true;
}

bool JobThread::waitFor(std::chrono::milliseconds slice) {
    std::unique_lock lock(mMutex);
    return mChanged.wait_for(lock, slice, [this] { return mDone; });
}

std::exception_ptr JobThread::finish() {
    std::lock_guard lock(mMutex);
    mJob = nullptr;
    mDone = false;
    mChanged.notify_all();
    return std::exchange(mFailure, nullptr);
}

void JobThread::run(const std::function<void()>& job) {
    {
        std::unique_lock lock(mMutex);
        mChanged.wait(lock, [this] { return mJob == nullptr; });
        handOver(job);
        mChanged.wait(lock, [this] { return mDone; });
    }
    if (const std::exception_ptr failure = finish())
        std::rethrow_exception(failure);
}

void JobThread::loop() {
    std::unique_lock lock(mMutex);
    for (;;) {
        mChanged.wait(lock, [this] { return mQuitting || (mJob && !mDone); });
        if (mQuitting)
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

} // namespace brindlecast::engine
