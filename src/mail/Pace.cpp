#include "Pace.h"

#include <QRegularExpression>
#include <algorithm>

namespace brindlecast::mail {

using namespace std::chrono;

Pace::Pace(int perMinute)
    : mInterval(perMinute > 0 ? duration_cast<Clock::duration>(minutes(1)) / perMinute
                              : Clock::duration::zero()) {}

Clock::time_point Pace::next() const {
    return mLast ? *mLast + mInterval : Clock::time_point::min();
}

RetryPlan::RetryPlan(seconds retryFor)
    : mRetryFor(retryFor) {}

Clock::duration RetryPlan::pause(int refusals) const {
    const Clock::duration first =
        std::clamp<Clock::duration>(mRetryFor / 60, seconds(1), minutes(1));
    const Clock::duration longest = std::max<Clock::duration>(mRetryFor / 4, first);
    Clock::duration pause = first;
    for (int i = 1; i < refusals && pause < longest; ++i)
        pause *= 2;
    return std::min(pause, longest);
}

std::optional<seconds> ParseDuration(const QString& text) {
    const QString trimmed = text.trimmed().toLower();
    bool number = false;
    if (const int minutesOnly = trimmed.toInt(&number); number && minutesOnly >= 0)
        return minutes(minutesOnly);
    static const QRegularExpression whole(QStringLiteral("^((\\d+)\\s*h)?\\s*((\\d+)\\s*m(in)?)?"
                                                         "\\s*((\\d+)\\s*s)?$"));
    const QRegularExpressionMatch match = whole.match(trimmed);
    if (trimmed.isEmpty() || !match.hasMatch())
        return std::nullopt;
    const qint64 total = match.captured(2).toLongLong() * 3600 +
                         match.captured(4).toLongLong() * 60 + match.captured(7).toLongLong();
    if (total > 7 * 24 * 3600)
        return std::nullopt;
    return seconds(total);
}

QString DescribeDuration(Clock::duration duration) {
    const qint64 total =
        std::max<qint64>(0, duration_cast<seconds>(duration + milliseconds(500)).count());
    if (total < 60)
        return QStringLiteral("%1 s").arg(total);
    QString text;
    if (total >= 3600)
        text = QStringLiteral("%1 h").arg(total / 3600);
    if (total % 3600 >= 60)
        text += QStringLiteral("%1%2 min").arg(text.isEmpty() ? "" : " ").arg(total % 3600 / 60);
    return text;
}

} // namespace brindlecast::mail
