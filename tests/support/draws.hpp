#pragma once

namespace blockdrop::testing {

// The draw that makes the tick spawn in shaft column n (1 to 5).
constexpr double column_draw(int n)
{
    return (n - 1 + 0.5) / 5;
}

// The draw that picks colour number k: 0 red, 1 green, 2 blue.
constexpr double colour_draw(int k)
{
    return (k + 0.5) / 3;
}

} // namespace blockdrop::testing
