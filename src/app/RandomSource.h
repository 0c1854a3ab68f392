#pragma once

namespace brindlecast {

/// A source of random fractions in [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    /// Re-seeds the generator from the time of day (seconds since midnight).
    virtual void randomize() = 0;
    virtual double next() = 0;
};

} // namespace brindlecast
