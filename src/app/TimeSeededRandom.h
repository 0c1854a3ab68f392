#pragma once

#include "RandomSource.h"

#include <random>

namespace brindlecast {

/// The classic "Randomize Timer" generator: reseeding from the seconds since midnight.
class TimeSeededRandom final : public RandomSource {
public:
    void randomize() override;
    double next() override;

private:
    std::mt19937 mEngine{std::random_device{}()};
};

} // namespace brindlecast
