#pragma once

#include <cstdint>
#include <random>

namespace blockdrop {

// The generator behind every front end's Randomize and Rnd.
class RandomSource {
public:
    // Seeds from the high-resolution clock and a per-source counter, so two
    // games started in the same second, or even the same tick of the clock,
    // draw different sequences.
    void seed_from_clock();

    // A fixed seed, for replaying a sequence.
    void seed(std::uint64_t value);

    // Uniform in [0, 1).
    double next()
    {
        ++draws_;
        return to_unit(engine_());
    }

    // Where a sequence from a fixed seed stands: the seed and the draws
    // taken since; restoring it goes on with the same draws.
    struct Saved {
        std::uint64_t seed = 0;
        std::uint64_t draws = 0;
    };
    Saved saved() const { return {seed_, draws_}; }
    void restore(const Saved& saved);

    // The top 53 bits over 2^53: every double it yields is exact and below 1,
    // so 1.0, which would name column 6, a wall, can never come out.
    static constexpr double to_unit(std::uint64_t bits)
    {
        return static_cast<double>(bits >> 11) * 0x1.0p-53;
    }

private:
    std::mt19937_64 engine_;
    std::uint64_t seedings_ = 0;
    std::uint64_t seed_ = 0;
    std::uint64_t draws_ = 0;
};

} // namespace blockdrop
