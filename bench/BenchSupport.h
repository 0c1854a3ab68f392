#pragma once

#include "app/MessageBoxes.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

// What the benchmark programs share: a clock, medians, and message boxes that never wait.
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
