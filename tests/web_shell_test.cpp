// The browser's key names, as the game takes them.
#include "shell/platform.hpp"
#include "shell/web/keys.hpp"

#include <gtest/gtest.h>

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

} // namespace
} // namespace blockdrop
