#pragma once

#include <cstdint>

namespace blockdrop {

// A fill colour. The rules only ever compare colours for equality, so a
// plain triple with defaulted comparison is all that is needed.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(Colour, Colour) = default;
};

constexpr Colour rgb(int red, int green, int blue)
{
    return Colour{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                  static_cast<std::uint8_t>(blue)};
}

inline constexpr Colour white = rgb(255, 255, 255);
inline constexpr Colour black = rgb(0, 0, 0);
inline constexpr Colour red = rgb(255, 0, 0);
inline constexpr Colour green = rgb(0, 255, 0);
inline constexpr Colour blue = rgb(0, 0, 255);

} // namespace blockdrop
