#pragma once

#include "ListRun.h"
#include "generate/FillPasses.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

// The workings behind RunList: the engines' threads making the newsletters, then the pages
// joined and the run summed up.
namespace brindlecast::cli {

struct EngineSlot;

class ListRunner {
public:
    using Clock = std::chrono::steady_clock;

    ListRunner(const ListJob& job, Console& console, const QString& scratch,
               EngineSlot* started = nullptr);

    int run();

    /// Fills the values every recipient shares into the newsletter each one's starts from, on
    /// `slot`'s engine (started). Throws what the engine throws.
    void prepareShared(EngineSlot& slot);
    /// Makes recipient `index`'s newsletter at madePath(index), from the shared one. Throws
    /// with the reason when it cannot be made.
    void fillOne(EngineSlot& slot, int index);
    QString madePath(int index) const;

private:
    // Unopenable: the engine cannot open the template.
    enum class Shared { Pending, Ready, NoEngine, Failed, Unopenable };
    struct Failure {
        int index;
        QString reason;
    };

    void work(EngineSlot& slot, bool first);
    void makeOne(EngineSlot& slot, int index);
    /// The program is ending, or the run's caller asked it to stop.
    bool stopped() const;
    /// Stops the run at recipient `index`: what failed there fails every later one as well.
    void halt(int index, const QString& reason);
    /// Why nothing more can be made in the scratch folder, if that is so.
    QString scratchTrouble() const;
    QString sharedPath() const;
    QString templatePath() const;
    /// True when the template has "[IF …]" blocks: no round is then shared.
    bool hasBlocks() const;
    int total() const { return int(mTodo.size()); }
    int combine();
    int finish(Clock::time_point start);
    /// Gives the caller what was made, for a summary of its own.
    int handOver(int made, Clock::time_point start);
    QString summaryLine(int made, double seconds, bool joined) const;
    /// Who was left out or renamed, for the summary.
    QString leftOutAndRenamed() const;
    /// The fields of a recipient's round: theirs and those their columns fill.
    FieldSpan recipientFields() const;

    const ListJob& mJob;
    Console& mConsole;
    QString mScratch;
    EngineSlot* mStarted;
    std::vector<int> mTodo; // the recipients to make, in list order
    std::atomic<int> mNext{0};
    std::atomic<int> mDone{0};
    std::atomic<bool> mHalted{false};
    int mWorking = 0; // worker threads not yet finished
    std::mutex mMutex;
    std::condition_variable mChanged;
    Shared mShared = Shared::Pending;
    QString mSharedFailure;
    QString mTitleFailure;   // why a recipient's round could not set the title
    std::vector<char> mMade; // per recipient of the list
    std::vector<Failure> mFailures;
    int mHaltIndex = -1;
    QString mHaltReason;
};

} // namespace brindlecast::cli
