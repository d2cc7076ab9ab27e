#include "shell/desktop/dialog/box_layout.hpp"

namespace blockdrop {

namespace {

// The box in twips: 4800 wide, centred below the board, with 250 twips
// between the board's bottom edge and the box, 240 above the window's.
constexpr int box_left = 645;
constexpr int box_right = 5445;
constexpr int box_gap = 250;
constexpr int box_bottom = 6120;
constexpr int title_height = 360;
constexpr int prompt_bottom = 5520;
// Buttons of the usual 75 x 23 pixels at 96 dpi, 6 pixels apart.
constexpr int button_width = 1125;
constexpr int button_height = 345;
constexpr int button_gap = 90;
constexpr int button_margin = 180;
// Ten-point text: 200 twips.
constexpr int text_twips = 200;

// The rectangle between two corners in twips, each edge rounded on its own.
PixelRect between(int left, int top, int right, int bottom, double scale)
{
    const int x = scaled_pixels(left, scale);
    const int y = scaled_pixels(top, scale);
    return PixelRect{x, y, scaled_pixels(right, scale) - x, scaled_pixels(bottom, scale) - y};
}

// A button with its bottom-right corner at (right, bottom) twips, its size
// rounded on its own so every button has the same size in pixels.
PixelRect button(int right, int bottom, double scale)
{
    const int width = scaled_pixels(button_width, scale);
    const int height = scaled_pixels(button_height, scale);
    return PixelRect{scaled_pixels(right, scale) - width, scaled_pixels(bottom, scale) - height,
                     width, height};
}

bool inside(const PixelRect& rect, int x, int y)
{
    return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
}

} // namespace

BoxLayout box_layout(Buttons buttons, double scale)
{
    const int box_top = board_bottom_twips() + box_gap;
    BoxLayout layout;
    layout.frame = between(box_left, box_top, box_right, box_bottom, scale);
    layout.border = scaled_pixels(15, scale) > 0 ? scaled_pixels(15, scale) : 1;
    const int b = layout.border;
    layout.title_bar = PixelRect{layout.frame.x + b, layout.frame.y + b, layout.frame.width - 2 * b,
                                 scaled_pixels(box_top + title_height, scale) - layout.frame.y - b};
    const PixelRect below_title =
        between(box_left, box_top + title_height, box_right, prompt_bottom, scale);
    layout.prompt =
        PixelRect{layout.title_bar.x, below_title.y, layout.title_bar.width, below_title.height};
    layout.text_left = scaled_pixels(box_left + 180, scale);
    layout.text_pixels = scaled_pixels(text_twips, scale);

    const int bottom = box_bottom - button_margin;
    if (buttons == Buttons::ok_cancel) {
        const int cancel_right = box_right - button_margin;
        layout.ok = button(cancel_right - button_width - button_gap, bottom, scale);
        layout.cancel = button(cancel_right, bottom, scale);
    } else {
        layout.ok = button((box_left + box_right + button_width) / 2, bottom, scale);
    }
    return layout;
}

std::optional<int> button_at(const BoxLayout& layout, int x, int y)
{
    if (inside(layout.ok, x, y))
        return answer_ok;
    if (inside(layout.cancel, x, y))
        return answer_cancel;
    return std::nullopt;
}

} // namespace blockdrop
