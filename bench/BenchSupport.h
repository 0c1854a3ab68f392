#pragma once

#include "app/MessageBoxes.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

// What the benchmark programs share: a clock, medians, the soffice baseline, and message boxes
// that never wait.
namespace brindlecast::bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Nothing of the user's is touched: settings and working files live in `folder`.
inline void keepAwayFromTheUser(const QString& folder) {
    for (const char* name : {"XDG_CONFIG_HOME", "TEMP"})
        qputenv(name, QFile::encodeName(folder));
}

// The documents and lists a benchmark works on; one it cannot write ends it.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// The outside baseline: one cold `soffice --convert-to`, in a profile of the caller's, timed
// as a whole process. A failed conversion ends the benchmark: its figures would mean nothing.
inline double timeConversion(const QString& document, const QString& format, const QString& outDir,
                             const QString& profile) {
    const auto start = Clock::now();
    QProcess soffice;
    soffice.start(QStringLiteral("soffice"),
                  {QStringLiteral("-env:UserInstallation=file://") + profile,
                   QStringLiteral("--headless"), QStringLiteral("--convert-to"), format,
                   QStringLiteral("--outdir"), outDir, document});
    if (!soffice.waitForFinished(120000) || soffice.exitCode() != 0) {
        std::fprintf(stderr, "soffice failed on %s\n", qPrintable(document));
        std::exit(1);
    }
    return secondsSince(start);
}

// Error boxes must not wait for a click in a benchmark: they are counted and the figures of a
// run that showed one are refused. Questions are answered Yes; "Done." is timed.
class CountingBoxes final : public MessageBoxes {
public:
    MsgAnswer MsgBox(const QString& prompt, MsgStyle style, const QString&) override {
        if (prompt == QStringLiteral("Done.")) {
            lastDone = Clock::now();
            return MsgAnswer::Ok;
        }
        if (MsgButtons(style) == MsgStyle::YesNo)
            return MsgAnswer::Yes;
        ++shown;
        std::fprintf(stderr, "message: %s\n", qPrintable(prompt));
        return MsgAnswer::Ok;
    }
    int shown = 0;
    Clock::time_point lastDone;
};

} // namespace brindlecast::bench
