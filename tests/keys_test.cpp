#include "shell/desktop/keys.hpp"
#include "shell/platform.hpp"

#include <gtest/gtest.h>

namespace blockdrop {
namespace {

TEST(DesktopKeys, OnlyTheArrowsBecomeTheGamesLeftAndRight)
{
    EXPECT_EQ(virtual_key(SDLK_LEFT), key_left);
    EXPECT_EQ(virtual_key(SDLK_RIGHT), key_right);
    // SDL's own codes for these two are 37 and 39.
    EXPECT_NE(virtual_key(SDLK_PERCENT), key_left);
    EXPECT_NE(virtual_key(SDLK_QUOTE), key_right);
    // Every other key SDL names, by key code or by scan code.
    const auto not_an_arrow = [](SDL_Keycode key) {
        const int code = virtual_key(key);
        return key == SDLK_LEFT || key == SDLK_RIGHT || (code != key_left && code != key_right);
    };
    for (SDL_Keycode key = 0; key < 0x10000; ++key)
        ASSERT_TRUE(not_an_arrow(key)) << "SDL key " << key;
    for (int scancode = SDL_SCANCODE_UNKNOWN; scancode < SDL_NUM_SCANCODES; ++scancode)
        ASSERT_TRUE(not_an_arrow(SDL_SCANCODE_TO_KEYCODE(scancode))) << "scan code " << scancode;
}

TEST(DesktopKeys, LettersDigitsAndNamedKeysGetTheirUsualCodes)
{
    EXPECT_EQ(virtual_key(SDLK_a), 'A');
    EXPECT_EQ(virtual_key(SDLK_z), 'Z');
    EXPECT_EQ(virtual_key(SDLK_0), '0');
    EXPECT_EQ(virtual_key(SDLK_UP), 38);
    EXPECT_EQ(virtual_key(SDLK_DOWN), 40);
    EXPECT_EQ(virtual_key(SDLK_F1), 112);
    EXPECT_EQ(virtual_key(SDLK_KP_4), 0);
    // The keypad's Enter answers a message box as Return does.
    EXPECT_EQ(virtual_key(SDLK_KP_ENTER), key_return);
}

TEST(DesktopKeys, ModifiersMapToTheirBits)
{
    EXPECT_EQ(modifier_state(KMOD_NONE), 0);
    EXPECT_EQ(modifier_state(KMOD_LSHIFT), shift_mask);
    EXPECT_EQ(modifier_state(KMOD_RCTRL | KMOD_LALT), ctrl_mask | alt_mask);
    EXPECT_EQ(modifier_state(KMOD_NUM | KMOD_CAPS), 0);
}

} // namespace
} // namespace blockdrop
