#pragma once

#include <QString>
#include <chrono>

namespace brindlecast::cli {

/// What the command line says, and where: errors always (stderr), the summary always
/// (stdout), progress and remarks only to a person watching a terminal and not asking for
/// quiet. A window that runs the command line's steps says the same in its own way: it
/// overrides every method. The list run calls `error` from its engines' threads too.
class Console {
public:
    explicit Console(bool quiet);
    virtual ~Console() = default;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    virtual void error(const QString& text);
    virtual void remark(const QString& text);
    virtual void summary(const QString& text);
    /// A line of a run's own account, one per message sent: standard output, unless quiet.
    virtual void note(const QString& text);
    /// Rewrites one line on the terminal: done/total, newsletters (or `what`) per second, time
    /// left.
    virtual void progress(int done, int total, std::chrono::steady_clock::duration elapsed,
                          const char* what = "newsletters");
    /// Clears the progress line, if one is shown.
    virtual void endProgress();

private:
    bool mQuiet;
    bool mChatty;
    bool mProgressShown = false;
};

/// The time a run that has done `done` of `total` in `elapsed` still needs at that rate, as
/// "m:ss"; "--:--" before there is a rate.
QString TimeLeftText(int done, int total, std::chrono::steady_clock::duration elapsed);

} // namespace brindlecast::cli
