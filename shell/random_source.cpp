#include "shell/random_source.hpp"

#include <chrono>

namespace blockdrop {

void RandomSource::seed_from_clock()
{
    const auto now = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    ++seedings_;
    std::seed_seq sequence{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32),
                           static_cast<std::uint32_t>(seedings_)};
    engine_.seed(sequence);
}

void RandomSource::seed(std::uint64_t value)
{
    engine_.seed(value);
    seed_ = value;
    draws_ = 0;
}

void RandomSource::restore(const Saved& saved)
{
    seed(saved.seed);
    engine_.discard(saved.draws);
    draws_ = saved.draws;
}

} // namespace blockdrop
