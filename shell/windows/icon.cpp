#include "shell/windows/icon.hpp"

#include <algorithm>
#include <cmath>
#include <regex>
#include <stdexcept>

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

void put16(std::string& out, unsigned value)
{
    out += static_cast<char>(value & 0xFFU);
    out += static_cast<char>((value >> 8) & 0xFFU);
}

void put32(std::string& out, unsigned value)
{
    put16(out, value & 0xFFFFU);
    put16(out, value >> 16);
}

// A BITMAPINFOHEADER image as icons hold it: the colour rows bottom-up,
// twice the height to make room for the transparency mask that follows.
std::string icon_image(const Picture& picture)
{
    const auto size = static_cast<unsigned>(picture.size);
    std::string out;
    put32(out, 40);
    put32(out, size);
    put32(out, 2 * size);
    put16(out, 1);
    put16(out, 32);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    for (int y = picture.size - 1; y >= 0; --y) {
        for (int x = 0; x < picture.size; ++x) {
            const Pixel& p = picture.at(x, y);
            out += static_cast<char>(p.blue);
            out += static_cast<char>(p.green);
            out += static_cast<char>(p.red);
            out += static_cast<char>(p.alpha);
        }
    }
    // The mask, for viewers that ignore alpha: a set bit is transparent.
    const unsigned row_bytes = (size + 31) / 32 * 4;
    for (int y = picture.size - 1; y >= 0; --y) {
        std::vector<unsigned> row(row_bytes, 0);
        for (int x = 0; x < picture.size; ++x) {
            if (picture.at(x, y).alpha == 0)
                row[static_cast<std::size_t>(x / 8)] |= 0x80U >> (x % 8);
        }
        for (const unsigned byte : row)
            out += static_cast<char>(byte);
    }
    return out;
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

std::string ico_file(const std::vector<Picture>& pictures)
{
    std::string out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<unsigned>(pictures.size()));
    std::vector<std::string> images;
    std::size_t offset = 6 + 16 * pictures.size();
    for (const Picture& picture : pictures) {
        images.push_back(icon_image(picture));
        const auto side = static_cast<unsigned>(picture.size >= 256 ? 0 : picture.size);
        out += static_cast<char>(side);
        out += static_cast<char>(side);
        out += '\0'; // no palette
        out += '\0';
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<unsigned>(images.back().size()));
        put32(out, static_cast<unsigned>(offset));
        offset += images.back().size();
    }
    for (const std::string& image : images)
        out += image;
    return out;
}

} // namespace blockdrop::icon
