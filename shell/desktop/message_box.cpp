#include "shell/desktop/message_box.hpp"

#include <array>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace blockdrop {

namespace {

// Debian and Ubuntu (fonts-dejavu-core), Fedora, Arch.
constexpr std::array font_files = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu-sans-fonts/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
};

constexpr SDL_Color frame_colour{64, 64, 64, 255};
constexpr SDL_Color face_colour{240, 240, 240, 255};
constexpr SDL_Color title_colour{0, 0, 128, 255};
constexpr SDL_Color title_text_colour{255, 255, 255, 255};
constexpr SDL_Color text_colour{0, 0, 0, 255};
constexpr SDL_Color button_colour{225, 225, 225, 255};

SDL_Rect sdl(const PixelRect& rect)
{
    return SDL_Rect{rect.x, rect.y, rect.width, rect.height};
}

PixelRect shrunk(const PixelRect& rect, int by)
{
    return PixelRect{rect.x + by, rect.y + by, rect.width - 2 * by, rect.height - 2 * by};
}

void fill(SDL_Surface* surface, const PixelRect& rect, SDL_Color colour)
{
    const SDL_Rect area = sdl(rect);
    SDL_FillRect(surface, &area, SDL_MapRGB(surface->format, colour.r, colour.g, colour.b));
}

// One line of text, its left edge at `left` (or centred when `left` is
// nothing) and centred from top to bottom in `band`, clipped to the band.
void write(SDL_Surface* surface, TTF_Font* font, std::string_view text, SDL_Color colour,
           const PixelRect& band, std::optional<int> left)
{
    const std::string line(text);
    SDL_Surface* rendered = TTF_RenderUTF8_Blended(font, line.c_str(), colour);
    if (rendered == nullptr)
        throw std::runtime_error(std::string("cannot draw the message box's text: ") +
                                 TTF_GetError());
    SDL_Rect at{left.value_or(band.x + (band.width - rendered->w) / 2),
                band.y + (band.height - rendered->h) / 2, rendered->w, rendered->h};
    const SDL_Rect clip = sdl(band);
    SDL_SetClipRect(surface, &clip);
    SDL_BlitSurface(rendered, nullptr, surface, &at);
    SDL_SetClipRect(surface, nullptr);
    SDL_FreeSurface(rendered);
}

void draw_button(SDL_Surface* surface, TTF_Font* font, const PixelRect& button, int border,
                 bool is_default, std::string_view label)
{
    // The default button has a border twice as wide, as desktops mark it.
    const int edge = is_default ? 2 * border : border;
    fill(surface, button, frame_colour);
    fill(surface, shrunk(button, edge), button_colour);
    write(surface, font, label, text_colour, shrunk(button, edge), std::nullopt);
}

} // namespace

std::optional<std::string> BoxFont::find()
{
    for (const char* file : font_files) {
        if (access(file, R_OK) == 0)
            return std::string(file);
    }
    return std::nullopt;
}

BoxFont::BoxFont(const std::string& path, int pixels)
{
    if (TTF_WasInit() == 0 && TTF_Init() != 0)
        throw std::runtime_error(std::string("cannot start SDL_ttf: ") + TTF_GetError());
    font_ = TTF_OpenFont(path.c_str(), pixels);
    if (font_ == nullptr)
        throw std::runtime_error("cannot open the font " + path + ": " + TTF_GetError());
}

void BoxFont::resize(int pixels)
{
    if (TTF_SetFontSize(font_, pixels) != 0)
        throw std::runtime_error(std::string("cannot size the font: ") + TTF_GetError());
}

BoxFont::~BoxFont()
{
    TTF_CloseFont(font_);
}

void draw_message_box(SDL_Surface* surface, TTF_Font* font, const BoxLayout& layout,
                      const BoxText& text)
{
    fill(surface, layout.frame, frame_colour);
    fill(surface, shrunk(layout.frame, layout.border), face_colour);
    fill(surface, layout.title_bar, title_colour);
    write(surface, font, text.title, title_text_colour, layout.title_bar, layout.text_left);
    write(surface, font, text.prompt, text_colour, layout.prompt, layout.text_left);
    draw_button(surface, font, layout.ok, layout.border, true, "OK");
    if (text.buttons == Buttons::ok_cancel)
        draw_button(surface, font, layout.cancel, layout.border, false, "Cancel");
}

} // namespace blockdrop
