#pragma once

#include "shell/desktop/box_layout.hpp"

#include <SDL.h>
#include <SDL_ttf.h>

#include <optional>
#include <string>
#include <string_view>

namespace blockdrop {

// What a message box shows.
struct BoxText {
    std::string_view title;
    std::string_view prompt;
    Buttons buttons = Buttons::ok;
};

// The typeface of the message boxes: DejaVu Sans, from a file that the
// game's package depends on, so that a box never needs the X server's fonts.
class BoxFont {
public:
    // The font file, the first of the places the distributions put DejaVu
    // Sans that holds a readable file; nothing when there is none.
    static std::optional<std::string> find();

    // Opens the font at a size of `pixels`; throws if it cannot.
    BoxFont(const std::string& path, int pixels);
    ~BoxFont();
    BoxFont(const BoxFont&) = delete;
    BoxFont& operator=(const BoxFont&) = delete;

    // The same font at another size, for another scale; throws if it
    // cannot.
    void resize(int pixels);

    TTF_Font* get() const { return font_; }

private:
    TTF_Font* font_ = nullptr;
};

// Draws the box onto `surface` at its place in the layout; what lies
// outside the box is left as it was.
void draw_message_box(SDL_Surface* surface, TTF_Font* font, const BoxLayout& layout,
                      const BoxText& text);

} // namespace blockdrop
