// The toolkit-free parts of the front ends: the browser's key names and
// where cells land in pixels at any screen density.
#include "board/form.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"
#include "shell/platform.hpp"
#include "shell/web/keys.hpp"
#include "tests/support/scripted_platform.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace blockdrop {
namespace {

TEST(WebKeys, OnlyTheArrowKeysBecomeTheGamesLeftAndRight)
{
    EXPECT_EQ(web::virtual_key("ArrowLeft"), key_left);
    EXPECT_EQ(web::virtual_key("ArrowRight"), key_right);
    EXPECT_EQ(web::virtual_key("ArrowUp"), 38);
    EXPECT_EQ(web::virtual_key("a"), 'A');
    EXPECT_EQ(web::virtual_key("Z"), 'Z');
    EXPECT_EQ(web::virtual_key("7"), '7');
    EXPECT_EQ(web::virtual_key(" "), 32);
    EXPECT_EQ(web::virtual_key("Enter"), 13);
    EXPECT_EQ(web::virtual_key("F1"), 112);
    EXPECT_EQ(web::virtual_key("F12"), 123);
    // Every other name a browser might send, and the characters whose codes
    // elsewhere are 37 and 39, are neither arrow.
    for (const char* key : {"%", "'", "Left", "Right", "arrowleft", "ArrowLeft ", "", "F0", "F13",
                            "F1x", "Dead", "Unidentified", "\xc3\xa9", "Process", "Shift"}) {
        const int code = web::virtual_key(key);
        EXPECT_TRUE(code != key_left && code != key_right) << '"' << key << '"';
    }
    for (int c = 0; c < 256; ++c) {
        const std::string key(1, static_cast<char>(c));
        const int code = web::virtual_key(key);
        EXPECT_TRUE(code != key_left && code != key_right) << "character " << c;
    }
}

TEST(WebKeys, ModifiersAndThePagesOwnKeys)
{
    EXPECT_EQ(web::modifier_state(false, false, false), 0);
    EXPECT_EQ(web::modifier_state(true, true, true), shift_mask | ctrl_mask | alt_mask);
    EXPECT_EQ(web::modifier_state(false, true, false), ctrl_mask);
    // Arrows and space would scroll the page, and Alt+Left would leave it.
    for (const char* key : {"ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", " "})
        EXPECT_TRUE(web::page_keeps(key)) << key;
    // Reload, tab and the rest stay the browser's.
    for (const char* key : {"F5", "Tab", "Enter", "Escape", "a", "PageDown"})
        EXPECT_FALSE(web::page_keeps(key)) << key;
}

Form1 set_up_board()
{
    testing::ScriptedPlatform platform;
    return testing::new_game(platform);
}

TEST(Layout, CellsAt96DpiAre33PixelSquaresWithAStripAboveTheBucket)
{
    const Form1 form = set_up_board();
    for (int i = 0; i < ShapeArray::size; ++i) {
        const Shape& cell = form.Block(i);
        const PixelRect at = pixel_rect(cell);
        // 15 twips to a pixel at 96 dpi.
        EXPECT_EQ(at.x, std::lround(cell.Left / 15.0)) << i;
        EXPECT_EQ(at.y, std::lround(cell.Top / 15.0)) << i;
        EXPECT_EQ(at.width, 33) << i;
        EXPECT_EQ(at.height, 33) << i;
    }
    EXPECT_EQ(pixel_rect(form.Block(35)).y, 168); // first bucket row, below the 3 px strip
}

TEST(Layout, NeighbouringCellsTileWithoutGapsAtAnyDensity)
{
    const Form1 form = set_up_board();
    for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        for (int i = 0; i < ShapeArray::size; ++i) {
            const Shape& cell = form.Block(i);
            const PixelRect at = pixel_rect(cell, scale);
            EXPECT_NEAR(at.width, 33 * scale, 1.0) << i << " at " << scale;
            for (int j = 0; j < ShapeArray::size; ++j) {
                const Shape& other = form.Block(j);
                const PixelRect next = pixel_rect(other, scale);
                if (other.Top == cell.Top && other.Left == cell.Left + cell.Width) {
                    EXPECT_EQ(next.x, at.x + at.width) << i << "|" << j << " at " << scale;
                }
                if (other.Left == cell.Left && other.Top == cell.Top + cell.Height) {
                    EXPECT_EQ(next.y, at.y + at.height) << i << "|" << j << " at " << scale;
                }
            }
        }
        EXPECT_EQ(scaled_pixels(client_width_twips, scale), std::lround(406 * scale)) << scale;
    }
}

} // namespace
} // namespace blockdrop
