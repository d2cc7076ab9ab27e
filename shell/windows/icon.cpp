#include "shell/windows/icon.hpp"

namespace blockdrop::icon {
namespace {

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
