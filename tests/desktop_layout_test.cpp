// Where the desktop's message box goes, which clicks answer it, the
// desktop's dpi as its X resources give it, and the window's icon.
#include "shell/design.hpp"
#include "shell/desktop/dialog/box_font.hpp"
#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/desktop/display_server.hpp"
#include "shell/desktop/x11/xft_dpi.hpp"
#include "shell/icon.hpp"
#include "tests/on_screen/x_session.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace blockdrop {
namespace {

bool within(const PixelRect& inner, const PixelRect& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool overlap(const PixelRect& a, const PixelRect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

class BoxAtScale : public ::testing::TestWithParam<double> {};

TEST_P(BoxAtScale, LiesBelowTheBoardInsideTheWindowWithItsPartsInsideIt)
{
    const double scale = GetParam();
    const PixelRect client{0, 0, scaled_pixels(6090, scale), scaled_pixels(6360, scale)};
    const int board_bottom = scaled_pixels(4010, scale);
    for (const Buttons buttons : {Buttons::ok, Buttons::ok_cancel}) {
        // In the window of its natural size at the scale.
        const BoxLayout box =
            box_layout(buttons, lay_out(PixelSize{client.width, client.height}, scale));
        EXPECT_TRUE(within(box.frame, client));
        // No cell is ever covered: the board ends above the box.
        EXPECT_GT(box.frame.y, board_bottom);
        EXPECT_GE(box.border, 1);
        EXPECT_TRUE(within(box.title_bar, box.frame));
        EXPECT_TRUE(within(box.prompt, box.frame));
        EXPECT_LE(box.title_bar.y + box.title_bar.height, box.prompt.y);
        EXPECT_TRUE(within(box.ok, box.frame));
        EXPECT_LE(box.prompt.y + box.prompt.height, box.ok.y);
        EXPECT_FALSE(overlap(box.ok, box.title_bar));
        // Ten-point text: 13 pixels at 96 dpi, in proportion elsewhere.
        EXPECT_EQ(box.text_pixels, scaled_pixels(200, scale));
        EXPECT_GE(box.prompt.height, 2 * box.text_pixels);
        EXPECT_GE(box.ok.height, box.text_pixels + 4 * box.border);
        if (buttons == Buttons::ok_cancel) {
            EXPECT_TRUE(within(box.cancel, box.frame));
            EXPECT_FALSE(overlap(box.ok, box.cancel));
            EXPECT_LT(box.ok.x + box.ok.width, box.cancel.x) << "OK comes first";
            EXPECT_EQ(box.ok.y, box.cancel.y);
            EXPECT_EQ(box.ok.width, box.cancel.width);
        } else {
            EXPECT_EQ(box.cancel.width, 0);
            // The only button sits in the middle of the box.
            EXPECT_LE(std::abs((box.ok.x + box.ok.width / 2) - (box.frame.x + box.frame.width / 2)),
                      1);
        }
    }
}

TEST_P(BoxAtScale, AClickAnswersOnlyOnAButton)
{
    const BoxLayout box = box_layout(Buttons::ok_cancel, GetParam());
    const auto& ok = box.ok;
    const auto& cancel = box.cancel;
    EXPECT_EQ(button_at(box, ok.x, ok.y), answer_ok);
    EXPECT_EQ(button_at(box, ok.x + ok.width - 1, ok.y + ok.height - 1), answer_ok);
    EXPECT_EQ(button_at(box, ok.x + ok.width, ok.y), std::nullopt);
    EXPECT_EQ(button_at(box, ok.x - 1, ok.y), std::nullopt);
    EXPECT_EQ(button_at(box, ok.x, ok.y + ok.height), std::nullopt);
    EXPECT_EQ(button_at(box, cancel.x + cancel.width / 2, cancel.y + cancel.height / 2),
              answer_cancel);
    EXPECT_EQ(button_at(box, box.prompt.x + 2, box.prompt.y + 2), std::nullopt);
    EXPECT_EQ(button_at(box, 10, 10), std::nullopt) << "on the board";

    const BoxLayout only_ok = box_layout(Buttons::ok, GetParam());
    EXPECT_EQ(button_at(only_ok, cancel.x + cancel.width / 2, cancel.y + cancel.height / 2),
              std::nullopt)
        << "where Cancel would be";
}

// The loss box as the window tests see it at 96, 144 and 192 dpi: every
// edge on a whole pixel, the default button's border twice as wide.
TEST(BoxDrawing, IsTheseFillsAndTextRunsAtEachScaleTheWindowTestsUse)
{
    const auto fills = [](std::array<PixelRect, 7> rects) {
        const std::array colours{box_frame,  box_face,  box_title_bar, box_frame,
                                 box_button, box_frame, box_button};
        std::vector<Fill> expected;
        expected.reserve(rects.size());
        for (std::size_t i = 0; i < rects.size(); ++i)
            expected.push_back({rects[i], colours[i]});
        return expected;
    };
    const auto texts = [](std::array<PixelRect, 4> bands, int left) {
        return std::vector<TextRun>{{"You Lost", box_title_text, bands[0], left},
                                    {"You lost. Try again?", box_text, bands[1], left},
                                    {"OK", box_text, bands[2], std::nullopt},
                                    {"Cancel", box_text, bands[3], std::nullopt}};
    };
    const struct {
        double scale;
        std::vector<Fill> fills;
        std::vector<TextRun> texts;
    } expected[] = {
        {1.0,
         fills({{{43, 284, 320, 124},
                 {44, 285, 318, 122},
                 {44, 285, 318, 23},
                 {195, 373, 75, 23},
                 {197, 375, 71, 19},
                 {276, 373, 75, 23},
                 {277, 374, 73, 21}}}),
         texts({{{44, 285, 318, 23}, {44, 308, 318, 60}, {197, 375, 71, 19}, {277, 374, 73, 21}}},
               55)},
        {1.5,
         fills({{{65, 426, 480, 186},
                 {67, 428, 476, 182},
                 {67, 428, 476, 34},
                 {292, 559, 113, 35},
                 {296, 563, 105, 27},
                 {414, 559, 113, 35},
                 {416, 561, 109, 31}}}),
         texts({{{67, 428, 476, 34}, {67, 462, 476, 90}, {296, 563, 105, 27}, {416, 561, 109, 31}}},
               83)},
        {2.0,
         fills({{{86, 568, 640, 248},
                 {88, 570, 636, 244},
                 {88, 570, 636, 46},
                 {390, 746, 150, 46},
                 {394, 750, 142, 38},
                 {552, 746, 150, 46},
                 {554, 748, 146, 42}}}),
         texts(
             {{{88, 570, 636, 46}, {88, 616, 636, 120}, {394, 750, 142, 38}, {554, 748, 146, 42}}},
             110)},
    };
    for (const auto& at : expected) {
        const Drawing drawing =
            box_drawing(box_layout(Buttons::ok_cancel, lay_out(client_size(at.scale), at.scale)),
                        {"You Lost", "You lost. Try again?", Buttons::ok_cancel});
        EXPECT_EQ(drawing.fills, at.fills) << "at " << at.scale;
        EXPECT_EQ(drawing.texts, at.texts) << "at " << at.scale;
    }
}

// The box drawn over black, as the window's picture holds it, through the
// display servers' painting: straight onto 32-bit pixels, converted onto
// any others.
struct DrawnBox {
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> surface{nullptr, SDL_FreeSurface};

    DrawnBox(const BoxLayout& layout, BoxFont& font, const BoxText& text,
             Uint32 format = SDL_PIXELFORMAT_RGB888)
    {
        surface.reset(SDL_CreateRGBSurfaceWithFormat(0, layout.frame.x + layout.frame.width,
                                                     layout.frame.y + layout.frame.height, 32,
                                                     format));
        EXPECT_TRUE(paint_in_32_bits(surface.get(), [&](SDL_Surface* part, int left, int top) {
            draw(part, left, top, box_drawing(layout, text), font);
        }));
    }

    Uint32 at(int x, int y) const
    {
        const auto* row = static_cast<const Uint8*>(surface->pixels) +
                          static_cast<std::ptrdiff_t>(y) * surface->pitch;
        if (surface->format->BytesPerPixel == 2)
            return reinterpret_cast<const Uint16*>(row)[x];
        return reinterpret_cast<const Uint32*>(row)[x];
    }

    // The pixels of `part` that are not its ground colour (the colour of
    // its corner `inset` pixels in), as the rectangle around them.
    std::optional<PixelRect> ink(const PixelRect& part, int inset) const
    {
        const Uint32 ground = at(part.x + inset, part.y + inset);
        int left = part.x + part.width;
        int top = part.y + part.height;
        int right = -1;
        int bottom = -1;
        for (int y = part.y + inset; y < part.y + part.height - inset; ++y) {
            for (int x = part.x + inset; x < part.x + part.width - inset; ++x) {
                if (at(x, y) == ground)
                    continue;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
        if (right < 0)
            return std::nullopt;
        return PixelRect{left, top, right - left + 1, bottom - top + 1};
    }
};

// The text, drawn by FreeType: each line's ink inside its own part, the
// labels centred on their buttons, the letters as large as the scale; on
// 32-bit pixels and on 16-bit ones.
TEST_P(BoxAtScale, WritesEachLineInItsPartAndCentresTheLabels)
{
    const double scale = GetParam();
    const BoxLayout layout = box_layout(Buttons::ok_cancel, scale);
    const auto file = BoxFont::find();
    ASSERT_TRUE(file);
    BoxFont font(*file, layout.text_pixels);
    const BoxText text{"You Lost", "You lost. Try again?", Buttons::ok_cancel};
    const DrawnBox box(layout, font, text);
    const auto title = box.ink(layout.title_bar, 0);
    ASSERT_TRUE(title);
    EXPECT_TRUE(within(*title, layout.title_bar));
    EXPECT_GE(title->x, layout.text_left - 1); // an edge shaded by anti-aliasing
    const auto prompt = box.ink(layout.prompt, 0);
    ASSERT_TRUE(prompt);
    EXPECT_TRUE(within(*prompt, layout.prompt));
    EXPECT_LE(prompt->x - layout.text_left, 1 + scale);
    for (const PixelRect& button : {layout.ok, layout.cancel}) {
        // Inside the default button's double border.
        const int inset = 2 * layout.border + 1;
        const auto label = box.ink(button, inset);
        ASSERT_TRUE(label);
        EXPECT_LE(std::abs(2 * label->x + label->width - (2 * button.x + button.width)),
                  2 * (1 + scale))
            << "off the button's middle";
        // Capitals: about three quarters of the font's size.
        EXPECT_NEAR(label->height, 0.73 * layout.text_pixels, 1 + 0.06 * layout.text_pixels);
    }
    // A driver whose window surface has 16-bit pixels gets the same text,
    // converted: only the faintest edges of the letters may round away.
    const DrawnBox shallow(layout, font, text, SDL_PIXELFORMAT_RGB565);
    ASSERT_EQ(shallow.surface->format->BytesPerPixel, 2);
    for (const auto& [part, deep] :
         {std::pair{layout.title_bar, *title}, {layout.prompt, *prompt}}) {
        const auto ink = shallow.ink(part, 0);
        ASSERT_TRUE(ink);
        EXPECT_TRUE(within(*ink, deep));
        EXPECT_GE(ink->width, deep.width - 2);
        EXPECT_GE(ink->height, deep.height - 2);
    }
}

// Glyphs kept from one size are not drawn at another; text that is not
// valid UTF-8 still draws, one mark for each broken character.
TEST_P(BoxAtScale, AResizedFontDrawsAsAFreshOneAndBrokenTextStillDraws)
{
    const BoxLayout small = box_layout(Buttons::ok, 1.0);
    const BoxLayout layout = box_layout(Buttons::ok, GetParam());
    const auto file = BoxFont::find();
    ASSERT_TRUE(file);
    BoxFont resized(*file, small.text_pixels);
    const BoxText text{"You win! Great!", "You win! Great!", Buttons::ok};
    const DrawnBox at_first(small, resized, text);
    EXPECT_TRUE(at_first.ink(small.title_bar, 0));
    resized.resize(layout.text_pixels);
    BoxFont fresh(*file, layout.text_pixels);
    const DrawnBox once(layout, resized, text);
    const DrawnBox again(layout, fresh, text);
    ASSERT_EQ(once.surface->h, again.surface->h);
    EXPECT_EQ(0, std::memcmp(once.surface->pixels, again.surface->pixels,
                             static_cast<std::size_t>(once.surface->pitch * once.surface->h)));

    const DrawnBox broken(layout, fresh, {"\xff", "ok \xe2\x82", Buttons::ok});
    EXPECT_TRUE(broken.ink(layout.title_bar, 0));
    const auto ink = broken.ink(layout.prompt, 0);
    ASSERT_TRUE(ink);
    EXPECT_TRUE(within(*ink, layout.prompt));
}

// Once a pad has been used: each button's mark at its left, as tall as the
// text at most, then its label, both inside the button; a letter's disc
// holds the letter in the title's white.
TEST_P(BoxAtScale, MarksThePadsButtonsBeforeTheirLabels)
{
    const double scale = GetParam();
    const BoxLayout layout = box_layout(Buttons::ok_cancel, scale);
    const auto file = BoxFont::find();
    ASSERT_TRUE(file);
    BoxFont font(*file, layout.text_pixels);
    for (const PadFamily family : {PadFamily::xbox, PadFamily::playstation}) {
        const PadMarks marks = box_pad_marks(family);
        const DrawnBox box(layout, font,
                           {"You Lost", "You lost. Try again?", Buttons::ok_cancel, marks});
        const int inset = 2 * layout.border + 1;
        for (const PixelRect& button : {layout.ok, layout.cancel}) {
            const auto ink = box.ink(button, inset);
            ASSERT_TRUE(ink);
            EXPECT_TRUE(within(*ink, button));
            const int side = std::min(layout.text_pixels, button.height);
            const PixelRect mark{ink->x, button.y + (button.height - side) / 2, side, side};
            const auto in_mark = box.ink(mark, 0);
            ASSERT_TRUE(in_mark) << "no mark at " << scale;
            EXPECT_LE(in_mark->height, side);
            const PixelRect label{mark.x + side + 1, button.y + inset, button.x + button.width -
                                  mark.x - side - 1 - inset, button.height - 2 * inset};
            EXPECT_TRUE(box.ink(label, 0)) << "no label right of the mark at " << scale;
        }
        if (family == PadFamily::xbox) {
            // The white letter A inside the black disc of OK's mark.
            const auto pixels = [&](Uint32 colour) {
                int count = 0;
                const PixelRect face{layout.ok.x, layout.ok.y, layout.ok.width / 3, layout.ok.height};
                for (int y = face.y; y < face.y + face.height; ++y)
                    for (int x = face.x; x < face.x + face.width; ++x)
                        count += box.at(x, y) == colour ? 1 : 0;
                return count;
            };
            EXPECT_GT(pixels(0x000000), 0);
            EXPECT_GT(pixels(0xFFFFFF), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Desktop, BoxAtScale, ::testing::Values(0.5, 1.0, 1.25, 1.5, 2.0, 3.0));

// The shapes, a row at a time: a cross through its middle, a ring open
// there, a disc across it; none outside its square.
TEST(PadMarkFills, AreACrossARingAndADiscInTheirSquare)
{
    const PixelRect square{10, 20, 21, 21};
    const auto covers = [](const std::vector<PixelRect>& rects, int x, int y) {
        return std::any_of(rects.begin(), rects.end(), [&](const PixelRect& r) {
            return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
        });
    };
    const int middle_x = square.x + square.width / 2;
    const int middle_y = square.y + square.height / 2;
    const auto cross = mark_fills(PadMark::cross, square);
    const auto ring = mark_fills(PadMark::circle, square);
    const auto disc = mark_fills(PadMark::a, square);
    EXPECT_TRUE(covers(cross, middle_x, middle_y));
    EXPECT_FALSE(covers(cross, middle_x, square.y + 2)) << "between the strokes' ends";
    EXPECT_FALSE(covers(ring, middle_x, middle_y));
    EXPECT_TRUE(covers(ring, middle_x, square.y));
    EXPECT_TRUE(covers(ring, square.x, middle_y));
    EXPECT_TRUE(covers(disc, middle_x, middle_y));
    EXPECT_FALSE(covers(disc, square.x, square.y)) << "a disc, not a square";
    for (const auto* rects : {&cross, &ring, &disc})
        for (const PixelRect& rect : *rects)
            EXPECT_TRUE(within(rect, square));
}

TEST(DesktopDpi, ComesFromXftDpiAndIsNinetySixWithoutIt)
{
    EXPECT_EQ(dpi_from_resources(""), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi:\t144\n"), 144);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: 192"), 192);
    EXPECT_EQ(dpi_from_resources("Xft.antialias:\t1\nXft.dpi:\t120.5\nXft.hinting:\t1\n"), 120.5);
    EXPECT_EQ(dpi_from_resources("  Xft.dpi  :  168  \r\n"), 168);
    // A later line wins, as in the resource database.
    EXPECT_EQ(dpi_from_resources("Xft.dpi: 120\nXft.dpi: 144\n"), 144);
    // Other resources with a similar name are not the dpi.
    EXPECT_EQ(dpi_from_resources("Xft.dpis: 144\nmy.Xft.dpi: 144\nXft.rgba: 144\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xcursor.size: 48\n"), 96);
}

TEST(DesktopDpi, IgnoresWhatIsNoNumberAndHoldsAbsurdValuesIn)
{
    EXPECT_EQ(dpi_from_resources("Xft.dpi: abc\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: 144abc\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi:\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: 0\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: -144\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: nan\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: inf\n"), 96);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: 10\n"), 48);
    EXPECT_EQ(dpi_from_resources("Xft.dpi: 100000\n"), 480);
    EXPECT_EQ(scale_at_dpi(144), 1.5);
}

// The icon built into the game is the drawing installed beside it, and its
// pixels (icon_test.cpp reads them) reach the window as ARGB.
TEST(WindowIcon, IsTheInstalledSvgInArgb)
{
    const std::string svg = window_testing::file_text(BLOCKDROP_SOURCE_DIR "/data/blockdrop.svg");
    ASSERT_FALSE(svg.empty());
    EXPECT_EQ(icon::drawing(), svg);
    for (const int size : {16, 24, 32, 48, 64}) {
        const icon::Picture picture = icon::game_icon(size);
        const auto pixels = icon::argb_pixels(size);
        ASSERT_EQ(pixels.size(), picture.pixels.size());
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const icon::Pixel& p = picture.pixels[i];
            ASSERT_EQ(pixels[i], (std::uint32_t{p.alpha} << 24U) | (std::uint32_t{p.red} << 16U) |
                                     (std::uint32_t{p.green} << 8U) | p.blue)
                << i << " at " << size;
        }
    }
}

} // namespace
} // namespace blockdrop
