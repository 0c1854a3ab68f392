#pragma once

#include <QString>
#include <chrono>

namespace brindlecast::cli {

/// What the command line says, and where: errors always (stderr), the summary always
/// (stdout), progress and remarks only to a person watching a terminal and not asking for
/// quiet.
class Console {
public:
    explicit Console(bool quiet);

    void error(const QString& text);
    void remark(const QString& text);
    void summary(const QString& text);
    /// A line of a run's own account, one per message sent: standard output, unless quiet.
    void note(const QString& text);
    /// Rewrites one line on the terminal: done/total, newsletters (or `what`) per second, time
    /// left.
    void progress(int done, int total, std::chrono::steady_clock::duration elapsed,
                  const char* what = "newsletters");
    /// Clears the progress line, if one is shown.
    void endProgress();

private:
    bool mQuiet;
    bool mChatty;
    bool mProgressShown = false;
};

} // namespace brindlecast::cli
