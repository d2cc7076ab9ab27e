// The game's icon: the SVG drawing's rectangles rasterised, the game's own
// drawing at known points, and the .ico container Windows reads them from.
#include "shell/icon.hpp"
#include "shell/windows/icon.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace blockdrop::icon {
namespace {

// Like the game's icon: a grey rounded square, a black wall, a red piece
// and a white bucket.
const char* const drawing = R"(<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64">
  <rect width="64" height="64" rx="6" fill="#c0c0c0"/>
  <rect x="4" y="4" width="8" height="34" fill="#000"/>
  <rect x="28" y="6" width="8" height="8" fill="#f00"/>
  <rect x="12" y="40" width="40" height="20" fill="#ffffff"/>
  <rect x="20" y="52" width="8" height="8" fill="#00ff00"/>
</svg>)";

constexpr Pixel opaque(int r, int g, int b)
{
    return Pixel{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                 static_cast<std::uint8_t>(b), 255};
}

unsigned word(const std::string& bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8U;
}

unsigned dword(const std::string& bytes, std::size_t at)
{
    return word(bytes, at) | word(bytes, at + 2) << 16U;
}

TEST(Icon, PaintsTheRectanglesInOrderAtFullSize)
{
    const Picture picture = rasterise(drawing, 64);
    ASSERT_EQ(picture.size, 64);
    EXPECT_EQ(picture.at(20, 20), opaque(192, 192, 192));
    EXPECT_EQ(picture.at(8, 20), opaque(0, 0, 0));
    EXPECT_EQ(picture.at(31, 9), opaque(255, 0, 0));
    EXPECT_EQ(picture.at(40, 45), opaque(255, 255, 255));
    EXPECT_EQ(picture.at(23, 55), opaque(0, 255, 0)) << "a later rectangle covers an earlier one";
    // Outside the round corner nothing is painted.
    EXPECT_EQ(picture.at(0, 0).alpha, 0);
    EXPECT_EQ(picture.at(63, 63).alpha, 0);
    EXPECT_EQ(picture.at(32, 0).alpha, 255);
}

TEST(Icon, AveragesEdgesThatFallInsideAPixel)
{
    // At 16 pixels the wall's edge at x = 12 of 64 falls on pixel 3's
    // right edge, and its top at y = 4 is the top of pixel 1.
    const Picture picture = rasterise(drawing, 16);
    EXPECT_EQ(picture.at(2, 5), opaque(0, 0, 0));
    EXPECT_EQ(picture.at(3, 5), opaque(192, 192, 192));
    // The piece spans pixels 7 and 8 from x = 28 to 36: half of each.
    EXPECT_EQ(picture.at(7, 2), opaque(255, 0, 0));
    const Pixel corner = picture.at(0, 0);
    EXPECT_GT(corner.alpha, 0);
    EXPECT_LT(corner.alpha, 255) << "the round corner is partly covered";
}

// The game's drawing, data/blockdrop.svg, at points read off it by hand:
// the grey tile, the shaft's walls, the red and blue pieces falling, the
// white bucket with green, red and blue pieces in it, and the round corners.
TEST(Icon, TheGamesIconHasItsDrawingsColoursAtEverySize)
{
    struct Point {
        int x, y; // on the 64 x 64 drawing
        Pixel colour;
    };
    const Point points[] = {
        {32, 1, opaque(192, 192, 192)},  {20, 30, opaque(192, 192, 192)},
        {6, 20, opaque(0, 0, 0)},        {56, 32, opaque(0, 0, 0)},
        {30, 10, opaque(255, 0, 0)},     {40, 26, opaque(0, 0, 255)},
        {14, 42, opaque(255, 255, 255)}, {48, 58, opaque(255, 255, 255)},
        {22, 54, opaque(0, 255, 0)},     {30, 54, opaque(255, 0, 0)},
        {30, 46, opaque(0, 0, 255)},
    };
    for (const int size : {16, 32, 48, 64}) {
        const Picture picture = game_icon(size);
        ASSERT_EQ(picture.size, size);
        for (const Point& point : points) {
            // The pixel wholly inside the shape around the point.
            const int x = point.x * size / 64;
            const int y = point.y * size / 64;
            EXPECT_EQ(picture.at(x, y), point.colour)
                << point.x << "," << point.y << " at " << size;
        }
        if (size >= 32) {
            EXPECT_EQ(picture.at(0, 0).alpha, 0) << "outside the round corner at " << size;
        } else {
            EXPECT_LT(picture.at(0, 0).alpha, 255) << "partly outside the round corner";
        }
        EXPECT_LT(picture.at(size - 1, size - 1).alpha, 255) << "the round corner at " << size;
    }
    const Picture full = game_icon(64);
    EXPECT_EQ(full.at(0, 0).alpha, 0);
    EXPECT_EQ(full.at(3, 4), opaque(192, 192, 192)) << "left of the wall";
    EXPECT_EQ(full.at(4, 4), opaque(0, 0, 0)) << "the wall's first pixel";
}

TEST(Icon, WritesAnIcoWithEveryPicture)
{
    const std::vector<Picture> pictures = {rasterise(drawing, 16), rasterise(drawing, 32)};
    const std::string file = ico_file(pictures);
    EXPECT_EQ(word(file, 0), 0U);
    EXPECT_EQ(word(file, 2), 1U) << "type: icon";
    ASSERT_EQ(word(file, 4), 2U);
    std::size_t expected_offset = 6 + 2 * 16;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::size_t entry = 6 + 16 * i;
        const auto side = static_cast<unsigned>(pictures[i].size);
        EXPECT_EQ(static_cast<unsigned char>(file[entry]), side);
        EXPECT_EQ(word(file, entry + 6), 32U) << "bits per pixel";
        const unsigned bytes = dword(file, entry + 8);
        // 32-bit colour rows, then the 1-bit mask in rows of whole dwords.
        EXPECT_EQ(bytes, 40 + side * side * 4 + side * ((side + 31) / 32 * 4));
        EXPECT_EQ(dword(file, entry + 12), expected_offset);
        EXPECT_EQ(dword(file, expected_offset + 8), 2 * side) << "height counts the mask";
        expected_offset += bytes;
    }
    EXPECT_EQ(file.size(), expected_offset);
    // The bottom row comes first: the second row in the file is row 14,
    // where the green piece is, in blue, green, red, alpha order.
    const std::size_t green_pixel = 6 + 2 * 16 + 40 + (16 + 5) * 4;
    EXPECT_EQ(file.substr(green_pixel, 4), std::string("\x00\xff\x00\xff", 4));
}

TEST(Icon, RefusesWhatItCannotDraw)
{
    EXPECT_THROW(rasterise("<rect width=\"4\" height=\"4\" fill=\"#000\"/>", 16),
                 std::runtime_error);
    EXPECT_THROW(
        rasterise("<svg width=\"8\"><rect width=\"4\" height=\"4\" fill=\"red\"/></svg>", 16),
        std::runtime_error);
    // Names are read whole: <rectangle> is no rectangle, and data-x no x.
    const Picture unpainted = rasterise(
        "<svg width=\"8\"><rectangle width=\"8\" height=\"8\" fill=\"#000\"/>"
        "<rect data-x=\"4\" width=\"2\" height=\"2\" fill=\"#fff\"/></svg>",
        8);
    EXPECT_EQ(unpainted.at(4, 4).alpha, 0);
    EXPECT_EQ(unpainted.at(0, 0), opaque(255, 255, 255));
}

} // namespace
} // namespace blockdrop::icon
