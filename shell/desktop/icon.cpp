#include "shell/desktop/icon.hpp"

#include <cmath>

namespace blockdrop {

const std::vector<IconRect>& icon_shapes()
{
    static const std::vector<IconRect> shapes = {
        {0, 0, 64, 64, 0xffc0c0c0}, {4, 4, 8, 34, 0xff000000},  {52, 4, 8, 34, 0xff000000},
        {28, 6, 8, 8, 0xffff0000},  {36, 22, 8, 8, 0xff0000ff}, {12, 40, 40, 20, 0xffffffff},
        {20, 52, 8, 8, 0xff00ff00}, {28, 52, 8, 8, 0xffff0000}, {28, 44, 8, 8, 0xff0000ff},
    };
    return shapes;
}

namespace {

int scaled(int design, int size)
{
    return (design * size + icon_design_size / 2) / icon_design_size;
}

// Outside the tile's rounded corner, tested at the pixel's centre.
bool cut_off(int x, int y, int size)
{
    const double r = icon_corner_radius * size / static_cast<double>(icon_design_size);
    const double cx = x + 0.5 < r ? r : (x + 0.5 > size - r ? size - r : x + 0.5);
    const double cy = y + 0.5 < r ? r : (y + 0.5 > size - r ? size - r : y + 0.5);
    return std::hypot(x + 0.5 - cx, y + 0.5 - cy) > r;
}

std::size_t index(int x, int y, int size)
{
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
           static_cast<std::size_t>(x);
}

} // namespace

std::vector<std::uint32_t> icon_pixels(int size)
{
    std::vector<std::uint32_t> pixels(
        static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
    for (const IconRect& shape : icon_shapes()) {
        const int left = scaled(shape.x, size);
        const int top = scaled(shape.y, size);
        const int right = scaled(shape.x + shape.width, size);
        const int bottom = scaled(shape.y + shape.height, size);
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x)
                pixels[index(x, y, size)] = shape.argb;
        }
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (cut_off(x, y, size))
                pixels[index(x, y, size)] = 0;
        }
    }
    return pixels;
}

} // namespace blockdrop
