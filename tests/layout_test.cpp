// What every front end paints: the client area's size and the board as
// rectangles to fill, at any scale.
#include "board/form.hpp"
#include "board/setup.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"
#include "tests/support/board_picture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

namespace blockdrop {
namespace {

// A board with walls, a piece of each colour in the shaft, a filled bucket
// cell and a hidden cell that keeps its colour.
Form1 busy_board()
{
    Form1 form;
    loadshapes(form);
    loadlevel(form);
    testing::paint(form, R"(K.R...K
                            K...G.K
                            K.....K
                            KB....K
                            K..g..K
                            .ooooo.
                            .ooooo.
                            .oRooo.)");
    return form;
}

std::size_t pixel_index(int x, int y, int width)
{
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

TEST(ClientSize, Is6090By6360TwipsAtAnyScale)
{
    EXPECT_EQ(client_size(1.0), (PixelSize{406, 424}));
    EXPECT_EQ(client_size(1.5), (PixelSize{609, 636}));
    EXPECT_EQ(client_size(2.0), (PixelSize{812, 848}));
    EXPECT_EQ(client_size(scale_at_dpi(96)), (PixelSize{406, 424}));
    EXPECT_EQ(client_size(scale_at_dpi(144)), (PixelSize{609, 636}));
    EXPECT_EQ(client_size(scale_at_dpi(120)).height, 530);
    EXPECT_EQ(client_size(scale_at_dpi(192)).width, 812);
}

TEST(BoardFills, AreTheBackgroundThenEachShownCellInItsColour)
{
    const Form1 form = busy_board();
    const std::vector<Fill> fills = board_fills(form, 1.0, PixelSize{500, 450});
    ASSERT_FALSE(fills.empty());
    EXPECT_EQ(fills.front(), (Fill{PixelRect{0, 0, 500, 450}, window_background}))
        << "the whole surface first, so nothing of an earlier picture shows";
    std::vector<Fill> cells;
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (form.Block(i).Visible)
            cells.push_back(Fill{pixel_rect(form.Block(i)), form.Block(i).BackColor});
    }
    EXPECT_EQ(std::vector<Fill>(fills.begin() + 1, fills.end()), cells);
    // Worked cells at 96 dpi: the red piece in the shaft's top row, the red
    // bucket cell below the 3-pixel strip, and one green cell only, the
    // hidden one left out.
    for (const Fill& red_cell :
         {Fill{PixelRect{66, 0, 33, 33}, red}, Fill{PixelRect{66, 234, 33, 33}, red}})
        EXPECT_NE(std::find(fills.begin(), fills.end(), red_cell), fills.end());
    EXPECT_EQ(std::count_if(fills.begin(), fills.end(),
                            [](const Fill& fill) { return fill.colour == green; }),
              1);
}

// A piece one row lower and a bucket cell filled: those three cells, each
// where it lies at the scale; the same board, nothing.
TEST(ChangedCells, AreWhereTheCellsThatChangedLie)
{
    const Form1 before = busy_board();
    Form1 after = before;
    testing::paint(after, R"(K.....K
                             K.R.G.K
                             K.....K
                             KB....K
                             K..g..K
                             .ooooo.
                             .ooooo.
                             .oRBoo.)");
    const double scale = 1.5;
    const auto at = [&](int column, int row) {
        Shape cell;
        cell.Left = 495 * column;
        cell.Top = 495 * row + (row < 5 ? 0 : 50);
        return pixel_rect(cell, scale);
    };
    std::vector<PixelRect> changed = changed_cells(before, after, scale);
    std::sort(changed.begin(), changed.end(),
              [](const PixelRect& a, const PixelRect& b) { return std::pair{a.y, a.x} < std::pair{b.y, b.x}; });
    EXPECT_EQ(changed, (std::vector{at(2, 0), at(2, 1), at(3, 7)}));
    EXPECT_EQ(changed_cells(after, after, scale), std::vector<PixelRect>{});
}

// Filled in order, the rectangles give every device pixel the colour of the
// shown cell under its centre, or the background: the same picture as
// sampling the board in twips, so neighbouring cells tile without a gap at
// any density.
TEST(BoardFills, PaintEveryPixelAsTheCellUnderItsCentre)
{
    const Form1 form = busy_board();
    for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        const PixelSize size = client_size(scale);
        std::vector<Colour> painted(pixel_index(0, size.height, size.width));
        for (const Fill& fill : board_fills(form, scale, size)) {
            for (int y = fill.rect.y; y < fill.rect.y + fill.rect.height; ++y) {
                for (int x = fill.rect.x; x < fill.rect.x + fill.rect.width; ++x)
                    painted[pixel_index(x, y, size.width)] = fill.colour;
            }
        }
        int wrong = 0;
        for (int y = 0; y < size.height; ++y) {
            for (int x = 0; x < size.width; ++x) {
                // The centre in twips times the scale, so that the test is
                // exact: inside when left < centre <= right.
                const double cx = (x + 0.5) * twips_per_pixel;
                const double cy = (y + 0.5) * twips_per_pixel;
                Colour expected = window_background;
                for (int i = 0; i < ShapeArray::size; ++i) {
                    const Shape& cell = form.Block(i);
                    if (cell.Visible && cell.Left * scale < cx &&
                        cx <= (cell.Left + cell.Width) * scale && cell.Top * scale < cy &&
                        cy <= (cell.Top + cell.Height) * scale)
                        expected = cell.BackColor;
                }
                if (!(painted[pixel_index(x, y, size.width)] == expected) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " at " << scale;
            }
        }
        EXPECT_EQ(wrong, 0) << scale;
    }
}

bool meet(const PixelRect& a, const PixelRect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

bool inside(const PixelRect& inner, PixelSize outer)
{
    return inner.x >= 0 && inner.y >= 0 && inner.x + inner.width <= outer.width &&
           inner.y + inner.height <= outer.height;
}

// At the window's natural size the design holds: the board at the top
// left, the box 250 twips below it and centred across the client area.
TEST(LayOut, AtTheNaturalSizeIsTheDesign)
{
    const Placement at_96 = lay_out(PixelSize{406, 424}, 1.0);
    EXPECT_EQ(at_96.scale, 1.0);
    EXPECT_EQ(at_96.board, (PixelRect{0, 0, 231, 267}));
    EXPECT_EQ(at_96.box, (PixelRect{43, 284, 320, 124}));
    const Placement at_144 = lay_out(client_size(1.5), 1.5);
    EXPECT_EQ(at_144.board, (PixelRect{0, 0, 347, 401}));
    EXPECT_EQ(at_144.box_scale, 1.5);
    // A window a pixel off by rounding is still the natural one, centred.
    EXPECT_EQ(lay_out(PixelSize{407, 425}, 1.0).board, (PixelRect{0, 0, 231, 267}));
}

// The figures the game promises: the board as large as the screen allows,
// a box's room beside it, to the right on a landscape screen and below on
// a portrait one.
TEST(LayOut, TheBoardFillsTheScreensPlayersBring)
{
    struct Screen {
        PixelSize size;
        double height_share; // at least, of the board's
        double width_share;
        bool beside;
    };
    for (const Screen& screen :
         {Screen{{1920, 1080}, 1.0, 0, true}, Screen{{1280, 800}, 1.0, 0, true},
          Screen{{1280, 720}, 1.0, 0, true}, Screen{{390, 844}, 0, 0.99, false},
          Screen{{844, 390}, 1.0, 0, true}}) {
        const Placement placed = lay_out(screen.size, 1.0);
        const std::string at =
            std::to_string(screen.size.width) + "x" + std::to_string(screen.size.height);
        EXPECT_GE(placed.board.height, screen.height_share * screen.size.height) << at;
        EXPECT_GE(placed.board.width, screen.width_share * screen.size.width) << at;
        EXPECT_EQ(placed.box.x >= placed.board.x + placed.board.width, screen.beside) << at;
        EXPECT_EQ(placed.box.y >= placed.board.y + placed.board.height, !screen.beside) << at;
        EXPECT_GE(scaled_pixels(200, placed.box_scale), 12) << "the box's text at " << at;
    }
}

// Over every size from the smallest window up, at the desktop's usual
// scales: board and box inside the window and apart, the box's text at
// least 12 pixels high at a natural scale of 1 (in proportion above), the
// two centred as one, and the board as large as its arrangement allows.
TEST(LayOut, NoBoxEverCoversACellAtAnySize)
{
    for (const double natural : {1.0, 1.5, 2.0}) {
        const PixelSize smallest = smallest_window(natural);
        for (int width = smallest.width; width <= 2600; width += 37) {
            for (int height = smallest.height; height <= 2000; height += 29) {
                const PixelSize window{width, height};
                const Placement placed = lay_out(window, natural);
                const std::string at = std::to_string(width) + "x" + std::to_string(height) +
                                       " at " + std::to_string(natural);
                ASSERT_FALSE(meet(placed.board, placed.box)) << at;
                ASSERT_TRUE(inside(placed.board, window)) << at;
                ASSERT_TRUE(inside(placed.box, window)) << at;
                ASSERT_GE(scaled_pixels(200, placed.box_scale), std::lround(12 * natural) - 1)
                    << at;
                ASSERT_LE(placed.box_scale, std::max(placed.scale, 0.87 * natural) + 1e-9) << at;
                // Centred as one with the box's room, 180 twips around the box.
                const PixelRect group = placed.picture();
                const double margin = 2 + 2 * 180 * placed.box_scale / 15;
                ASSERT_LE(std::abs(group.x - (width - group.x - group.width)), margin) << at;
                ASSERT_LE(std::abs(group.y - (height - group.y - group.height)), margin) << at;
                // The board touches two opposite edges of the window, or
                // leaves the box's room no more than the least it takes.
                const bool beside = placed.box.x >= placed.board.x + placed.board.width;
                const double least_room =
                    beside ? 5160 * 0.87 * natural / 15 : 2220 * 0.87 * natural / 15;
                const int left_over =
                    beside ? width - placed.board.width : height - placed.board.height;
                const bool touches =
                    beside ? placed.board.height >= height - 1 : placed.board.width >= width - 1;
                ASSERT_TRUE(touches || std::abs(left_over - least_room) <= 2) << at;
            }
        }
    }
}

} // namespace
} // namespace blockdrop
