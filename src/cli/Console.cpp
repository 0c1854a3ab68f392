#include "Console.h"

#include "app/Terminal.h"

#include <cstdio>

namespace brindlecast::cli {

namespace {

// Names and reasons come from lists and files of others: their control characters would be
// commands to the terminal.
QByteArray printable(const QString& text) {
    QString shown = text;
    for (QChar& c : shown)
        if ((c.unicode() < 0x20 && c != QLatin1Char('\n')) || c.unicode() == 0x7f ||
            (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            c = QLatin1Char('?');
    return shown.toLocal8Bit();
}

} // namespace

Console::Console(bool quiet)
    : mQuiet(quiet)
    , mChatty(!quiet && StandardErrorIsTerminal()) {}

void Console::error(const QString& text) {
    endProgress();
    std::fprintf(stderr, "brindlecast: %s\n", printable(text).constData());
}

void Console::remark(const QString& text) {
    if (!mChatty)
        return;
    endProgress();
    std::fprintf(stderr, "%s\n", printable(text).constData());
}

void Console::summary(const QString& text) {
    endProgress();
    std::fprintf(stdout, "%s\n", printable(text).constData());
    std::fflush(stdout);
}

void Console::note(const QString& text) {
    if (mQuiet)
        return;
    endProgress();
    std::fprintf(stdout, "%s\n", printable(text).constData());
    std::fflush(stdout);
}

void Console::progress(int done, int total, std::chrono::steady_clock::duration elapsed,
                       const char* what) {
    if (!mChatty)
        return;
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double rate = seconds > 0 ? done / seconds : 0;
    const QString left = TimeLeftText(done, total, elapsed);
    // "\r" and "erase to the end of the line" keep the progress on one line of the terminal.
    std::fprintf(stderr, "\r%d/%d %s, %.1f per second, %s left\x1b[K", done, total, what, rate,
                 qPrintable(left));
    std::fflush(stderr);
    mProgressShown = true;
}

QString TimeLeftText(int done, int total, std::chrono::steady_clock::duration elapsed) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double rate = seconds > 0 ? done / seconds : 0;
    if (rate <= 0)
        return QStringLiteral("--:--");
    const int remaining = int((total - done) / rate + 0.5);
    return QStringLiteral("%1:%2").arg(remaining / 60).arg(remaining % 60, 2, 10, QLatin1Char('0'));
}

void Console::endProgress() {
    if (!mProgressShown)
        return;
    std::fprintf(stderr, "\r\x1b[K");
    std::fflush(stderr);
    mProgressShown = false;
}

} // namespace brindlecast::cli
