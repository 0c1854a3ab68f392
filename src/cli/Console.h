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
    /// Rewrites one line on the terminal: done/total, newsletters per second, time left.
    void progress(int done, int total, std::chrono::steady_clock::duration elapsed);
    /// Clears the progress line, if one is shown.
    void endProgress();

private:
    bool mChatty;
    bool mProgressShown = false;
};

} // namespace brindlecast::cli
