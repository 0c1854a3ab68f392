#include "TimeSeededRandom.h"

#include <QTime>

namespace brindlecast {

void TimeSeededRandom::randomize() {
    // Mixed with the previous state: several reseeds within one second must not repeat a draw.
    const auto seconds = unsigned(QTime::currentTime().msecsSinceStartOfDay() / 1000);
    mEngine.seed(seconds ^ mEngine());
}

double TimeSeededRandom::next() {
    return std::generate_canonical<double, 53>(mEngine);
}

} // namespace brindlecast
