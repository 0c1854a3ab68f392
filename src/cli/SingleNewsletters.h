#pragma once

#include "ListRun.h"
#include "generate/ListFolders.h"

#include <QString>
#include <memory>

namespace brindlecast::cli {

class Console;
class ListRunner;
struct EngineSlot;

/// Recipients' newsletters made one at a time, on request, exactly as a list run of `job` makes
/// them, the values they share filled once: what a window shows as each one's preview. Serves
/// one thread at a time.
class SingleNewsletters {
public:
    /// `job`, `slot` (started) and `console` must outlive this; `console` hears what a run would
    /// say besides a recipient's failure (a title that cannot be set). Throws
    /// std::runtime_error when no working folder can be made.
    SingleNewsletters(const ListJob& job, EngineSlot& slot, Console& console);
    ~SingleNewsletters();
    SingleNewsletters(const SingleNewsletters&) = delete;
    SingleNewsletters& operator=(const SingleNewsletters&) = delete;

    /// Makes recipient `index`'s (0-based) newsletter in `job.format` and returns its file, in a
    /// working folder that goes with this object. Throws what the engine throws, and
    /// std::runtime_error with the reason a run's summary would give, when it cannot be made.
    QString make(int index);

private:
    ListFolder mFolder;
    std::unique_ptr<ListRunner> mRunner;
    EngineSlot& mSlot;
    bool mPrepared = false;
};

} // namespace brindlecast::cli
