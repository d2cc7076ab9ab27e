#include "shell/icon.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <regex>
#include <stdexcept>
#include <string>

namespace blockdrop::icon {
namespace {

struct Rect {
    double x = 0, y = 0, width = 0, height = 0, radius = 0;
    Pixel fill;

    bool covers(double px, double py) const
    {
        if (px < x || py < y || px >= x + width || py >= y + height)
            return false;
        // Within a round corner's square, only the quarter circle counts.
        const double cx = std::clamp(px, x + radius, x + width - radius);
        const double cy = std::clamp(py, y + radius, y + height - radius);
        return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= radius * radius;
    }
};

std::string attribute(const std::string& element, const std::string& name)
{
    const std::regex pattern("\\s" + name + "=\"([^\"]*)\"");
    std::smatch found;
    return std::regex_search(element, found, pattern) ? found[1].str() : std::string();
}

double number(const std::string& element, const std::string& name)
{
    const std::string text = attribute(element, name);
    return text.empty() ? 0.0 : std::stod(text);
}

int hex_digit(char c)
{
    const std::string digits = "0123456789abcdef";
    const auto at = digits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (at == std::string::npos)
        throw std::runtime_error("not a colour digit: " + std::string(1, c));
    return static_cast<int>(at);
}

// "#rgb" or "#rrggbb".
Pixel colour(const std::string& text)
{
    const auto digit = [&](std::size_t at) { return hex_digit(text[at]); };
    const auto channel = [&](std::size_t i) {
        if (text.size() == 4)
            return static_cast<std::uint8_t>(digit(1 + i) * 17);
        return static_cast<std::uint8_t>(digit(1 + 2 * i) * 16 + digit(2 + 2 * i));
    };
    if (text.empty() || text[0] != '#' || (text.size() != 4 && text.size() != 7))
        throw std::runtime_error("unsupported fill: " + text);
    return Pixel{channel(0), channel(1), channel(2), 255};
}

} // namespace

Picture rasterise(std::string_view svg, int size)
{
    const std::string text(svg);
    const std::smatch none;
    std::smatch root;
    if (!std::regex_search(text, root, std::regex("<svg[^>]*>")))
        throw std::runtime_error("no <svg> element");
    const double canvas = number(root[0].str(), "width");
    if (canvas <= 0 || size <= 0)
        throw std::runtime_error("the drawing has no width");

    std::vector<Rect> rects;
    const std::regex rect_pattern("<rect[^>]*>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), rect_pattern);
         it != std::sregex_iterator(); ++it) {
        const std::string element = it->str();
        const double width = number(element, "width");
        const double height = number(element, "height");
        const double radius = std::min({number(element, "rx"), width / 2, height / 2});
        rects.push_back(Rect{number(element, "x"), number(element, "y"), width, height, radius,
                             colour(attribute(element, "fill"))});
    }

    constexpr int samples = 4;
    Picture picture{size, {}};
    picture.pixels.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    const double step = canvas / size / samples;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double red = 0;
            double green = 0;
            double blue = 0;
            double alpha = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double px = ((x * samples) + sx + 0.5) * step;
                    const double py = ((y * samples) + sy + 0.5) * step;
                    // Fills are opaque: the last rectangle over a sample wins.
                    const auto top = std::find_if(rects.rbegin(), rects.rend(),
                                                  [&](const Rect& r) { return r.covers(px, py); });
                    if (top == rects.rend())
                        continue;
                    red += top->fill.red;
                    green += top->fill.green;
                    blue += top->fill.blue;
                    alpha += 1;
                }
            }
            const auto channel = [&](double sum) {
                return static_cast<std::uint8_t>(alpha > 0 ? std::lround(sum / alpha) : 0);
            };
            picture.pixels.push_back(
                Pixel{channel(red), channel(green), channel(blue),
                      static_cast<std::uint8_t>(std::lround(alpha * 255 / (samples * samples)))});
        }
    }
    return picture;
}

Picture game_icon(int size)
{
    return rasterise(drawing(), size);
}

std::vector<std::uint32_t> argb_pixels(int size)
{
    const Picture picture = game_icon(size);
    std::vector<std::uint32_t> pixels;
    pixels.reserve(picture.pixels.size());
    for (const Pixel& p : picture.pixels)
        pixels.push_back(static_cast<std::uint32_t>(p.alpha) << 24U |
                         static_cast<std::uint32_t>(p.red) << 16U |
                         static_cast<std::uint32_t>(p.green) << 8U | p.blue);
    return pixels;
}

} // namespace blockdrop::icon
