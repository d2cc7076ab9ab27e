#pragma once

#include <string_view>

namespace blockdrop {

struct Form1;

// Which buttons a message box offers.
enum class Buttons { ok, ok_cancel };

// The code of the button that closed a message box.
inline constexpr int answer_ok = 1;
inline constexpr int answer_cancel = 2;

// Virtual-key codes of the two keys the game reads. Every front end maps its
// toolkit's arrow keys to these and every other key to something else.
inline constexpr int key_left = 37;
inline constexpr int key_right = 39;

// The codes of the other keys a front end names, so that every key table
// speaks the same codes. Letters and digits are their upper-case ASCII
// characters; F1 to F12 follow one another from key_f1.
inline constexpr int key_back = 8;
inline constexpr int key_tab = 9;
inline constexpr int key_return = 13;
inline constexpr int key_escape = 27;
inline constexpr int key_space = 32;
inline constexpr int key_page_up = 33;
inline constexpr int key_page_down = 34;
inline constexpr int key_end = 35;
inline constexpr int key_home = 36;
inline constexpr int key_up = 38;
inline constexpr int key_down = 40;
inline constexpr int key_insert = 45;
inline constexpr int key_delete = 46;
inline constexpr int key_f1 = 112;

// Modifier state that comes with a key: a bit each for Shift, Ctrl and Alt.
inline constexpr int shift_mask = 1;
inline constexpr int ctrl_mask = 2;
inline constexpr int alt_mask = 4;

// Everything the rules need from the world outside the board. The desktop
// window, the browser page and the tests each implement it; the rules never
// see which one they run on.
class Platform {
public:
    virtual ~Platform() = default;

    // Reseeds the random generator from the clock, so every game draws a new
    // sequence.
    virtual void Randomize() = 0;

    // The next random number r, 0 <= r < 1.
    virtual double Rnd() = 0;

    // Shows a modal message box and blocks until it is answered. Returns
    // answer_ok or answer_cancel.
    virtual int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) = 0;

    // Unloads and shows the window again: every cell and the clock are
    // destroyed, the window gets its design values back and Form_Load runs.
    // Works in place, so a handler that calls it carries on against the new
    // cells.
    virtual void reload(Form1& form) = 0;

    // Ends the program at once; no further statement of the game runs.
    [[noreturn]] virtual void End() = 0;
};

} // namespace blockdrop
