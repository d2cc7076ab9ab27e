#include "shell/icon.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
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

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Each `<name ...>` element's text, in order. A hand-written scan: the
// drawing's grammar is this small, and <regex> would cost every build that
// compiles the icon many seconds.
std::vector<std::string_view> elements(std::string_view svg, std::string_view name)
{
    std::vector<std::string_view> found;
    std::string open = "<";
    open.append(name);
    for (auto at = svg.find(open); at != std::string_view::npos; at = svg.find(open, at + 1)) {
        const auto after = at + open.size();
        if (after < svg.size() && !is_space(svg[after]) && svg[after] != '/' && svg[after] != '>')
            continue; // another element whose name starts the same
        const auto end = svg.find('>', after);
        if (end == std::string_view::npos)
            break;
        found.push_back(svg.substr(at, end + 1 - at));
    }
    return found;
}

// The value of ` name="..."` in an element, or "" where it has none.
std::string attribute(std::string_view element, std::string_view name)
{
    std::string key(name);
    key += "=\"";
    for (auto at = element.find(key); at != std::string_view::npos; at = element.find(key, at + 1)) {
        if (at == 0 || !is_space(element[at - 1]))
            continue; // the end of a longer name
        const auto value = at + key.size();
        const auto end = element.find('"', value);
        if (end == std::string_view::npos)
            return {};
        return std::string(element.substr(value, end - value));
    }
    return {};
}

double number(std::string_view element, std::string_view name)
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
    const auto roots = elements(svg, "svg");
    if (roots.empty())
        throw std::runtime_error("no <svg> element");
    const double canvas = number(roots.front(), "width");
    if (canvas <= 0 || size <= 0)
        throw std::runtime_error("the drawing has no width");

    std::vector<Rect> rects;
    for (const std::string_view element : elements(svg, "rect")) {
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
