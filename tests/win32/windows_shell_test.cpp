// The Windows front end's own pieces, run under Wine without a window: the
// board painted through GDI into a bitmap at 96 and 144 dpi, the
// key state, the keys and text of the message boxes.
#include "board/form.hpp"
#include "board/setup.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"
#include "shell/platform.hpp"
#include "shell/windows/draw.hpp"
#include "shell/windows/keys.hpp"
#include "shell/windows/text.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace blockdrop::windows {
namespace {

// A 32-bit top-down bitmap that GDI draws into and the test reads back.
class Canvas {
public:
    explicit Canvas(SIZE size) : size_(size)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    bool ready() const { return bits_ != nullptr; }

    Colour at(int x, int y) const
    {
        GdiFlush();
        const std::uint32_t pixel =
            static_cast<const std::uint32_t*>(bits_)[static_cast<std::size_t>(y * size_.cx + x)];
        return rgb(static_cast<int>((pixel >> 16) & 0xFFU), static_cast<int>((pixel >> 8) & 0xFFU),
                   static_cast<int>(pixel & 0xFFU));
    }

private:
    SIZE size_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

// A board with every kind of cell on it: walls, pieces of each colour,
// white and filled bucket cells, and hidden cells that keep a colour.
Form1 busy_board()
{
    Form1 form;
    loadshapes(form);
    loadlevel(form);
    form.Block(2).Visible = true;
    form.Block(2).BackColor = red;
    form.Block(17).Visible = true;
    form.Block(17).BackColor = green;
    form.Block(33).Visible = true;
    form.Block(33).BackColor = blue;
    form.Block(52).BackColor = red;
    form.Block(9).BackColor = blue; // hidden: must not show
    return form;
}

// Every pixel is the colour of the shown cell over it, or the background.
void expect_painted(unsigned dpi)
{
    const Form1 form = busy_board();
    const SIZE size = client_pixels(dpi);
    Canvas canvas(size);
    ASSERT_TRUE(canvas.ready());
    draw_board(canvas.dc(), form, dpi / 96.0, size);

    std::vector<Colour> expected(static_cast<std::size_t>(size.cx * size.cy), window_background);
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block(i).Visible)
            continue;
        const PixelRect at = pixel_rect(form.Block(i), dpi / 96.0);
        for (int y = at.y; y < at.y + at.height; ++y) {
            for (int x = at.x; x < at.x + at.width; ++x)
                expected[static_cast<std::size_t>(y * size.cx + x)] = form.Block(i).BackColor;
        }
    }
    int wrong = 0;
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            if (!(canvas.at(x, y) == expected[static_cast<std::size_t>(y * size.cx + x)]) &&
                ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " at " << dpi << " dpi";
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(WindowsDraw, PaintsEveryPixelOfTheBoardAt96And144Dpi)
{
    expect_painted(96);
    expect_painted(144);
}

TEST(WindowsKeys, ModifierStateComesFromTheKeyboardState)
{
    BYTE keys[256] = {};
    ASSERT_TRUE(SetKeyboardState(keys));
    EXPECT_EQ(modifier_state(), 0);
    keys[VK_SHIFT] = 0x80;
    keys[VK_MENU] = 0x80;
    ASSERT_TRUE(SetKeyboardState(keys));
    EXPECT_EQ(modifier_state(), shift_mask | alt_mask);
    keys[VK_SHIFT] = 0x01; // toggled, not held
    keys[VK_MENU] = 0;
    keys[VK_CONTROL] = 0x80;
    ASSERT_TRUE(SetKeyboardState(keys));
    EXPECT_EQ(modifier_state(), ctrl_mask);
    const BYTE none[256] = {};
    SetKeyboardState(const_cast<BYTE*>(none));
}

// What the box's loop gets back for a key message in a message box.
bool dropped_in_box(UINT message, int key, int loop = MSGF_DIALOGBOX)
{
    MSG msg{};
    msg.message = message;
    msg.wParam = static_cast<WPARAM>(key);
    return CallMsgFilterW(&msg, loop) != 0;
}

TEST(WindowsBoxes, TakeReturnEscapeTabAndSpaceOnly)
{
    for (const int key : {VK_RETURN, VK_ESCAPE, VK_TAB, VK_SPACE})
        EXPECT_TRUE(box_takes_key(key)) << key;
    for (int key = 1; key < 256; ++key) {
        if (key != VK_RETURN && key != VK_ESCAPE && key != VK_TAB && key != VK_SPACE) {
            EXPECT_FALSE(box_takes_key(key)) << key;
        }
    }
}

TEST(WindowsBoxes, TheFilterDropsEveryOtherKeyInABoxWhileItLives)
{
    EXPECT_FALSE(dropped_in_box(WM_KEYDOWN, VK_LEFT)) << "no filter yet";
    {
        const BoxKeyFilter filter;
        for (const int key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, int{'A'}, VK_F1}) {
            EXPECT_TRUE(dropped_in_box(WM_KEYDOWN, key)) << key;
            EXPECT_TRUE(dropped_in_box(WM_KEYUP, key)) << key;
        }
        for (const int key : {VK_RETURN, VK_ESCAPE, VK_TAB, VK_SPACE}) {
            EXPECT_FALSE(dropped_in_box(WM_KEYDOWN, key)) << key;
            EXPECT_FALSE(dropped_in_box(WM_KEYUP, key)) << key;
        }
        // Alt+F4 closes the box as its close button does; a click is no key.
        EXPECT_FALSE(dropped_in_box(WM_SYSKEYDOWN, VK_F4));
        EXPECT_FALSE(dropped_in_box(WM_LBUTTONDOWN, 0));
        // Other modal loops, a menu's, keep their keys.
        EXPECT_FALSE(dropped_in_box(WM_KEYDOWN, VK_LEFT, MSGF_MENU));
    }
    EXPECT_FALSE(dropped_in_box(WM_KEYDOWN, VK_LEFT)) << "the filter outlived its box";
}

TEST(WindowsText, PromptsAndTitlesBecomeUtf16)
{
    EXPECT_EQ(wide("You lost. Try again?"), L"You lost. Try again?");
    EXPECT_EQ(wide("You Won"), L"You Won");
    EXPECT_EQ(wide(""), L"");
    EXPECT_EQ(wide("caf\xc3\xa9 \xe2\x82\xac"), L"caf\u00e9 \u20ac");
}

} // namespace
} // namespace blockdrop::windows
