#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace brindlecast::engine {

/// One thread that lives as long as this object and runs the jobs handed to it, one at a time.
/// A job is handed over by reference: it must live until it has finished.
class JobThread {
public:
    JobThread();
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    /// Hands `job` to the thread without waiting for it; false, and nothing done, while another
    /// job is in hand (started and not yet finished with finish()).
    bool start(const std::function<void()>& job);
    /// Waits up to `slice` for the job in hand to end; true once it has.
    bool waitFor(std::chrono::milliseconds slice);
    /// Takes back the job in hand once it has ended, freeing the thread for the next, and
    /// returns what the job threw, if anything.
    std::exception_ptr finish();

    /// Waits for the thread to be free, runs `job` on it and waits for it; what the job throws
    /// is rethrown here.
    void run(const std::function<void()>& job);

private:
    void handOver(const std::function<void()>& job);
    void loop();

    std::mutex mMutex;
    std::condition_variable mChanged;
    const std::function<void()>* mJob = nullptr;
    bool mDone = false;
    bool mQuitting = false;
    std::exception_ptr mFailure;
    std::thread mThread;
};

} // namespace brindlecast::engine
