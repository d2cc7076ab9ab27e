#include "shell/desktop/icon.hpp"

#include "shell/icon.hpp"

namespace blockdrop {

std::vector<std::uint32_t> icon_pixels(int size)
{
    const icon::Picture picture = icon::game_icon(size);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(picture.pixels.size());
    for (const icon::Pixel& p : picture.pixels)
        pixels.push_back(static_cast<std::uint32_t>(p.alpha) << 24U |
                         static_cast<std::uint32_t>(p.red) << 16U |
                         static_cast<std::uint32_t>(p.green) << 8U | p.blue);
    return pixels;
}

} // namespace blockdrop
