#include "shell/desktop/dialog/box_layout.hpp"

#include "shell/design.hpp"

namespace blockdrop {

namespace {

// The box's parts in twips from its own top-left corner: a title bar 360
// high, the prompt below it down to 1260, the buttons 180 in from the
// bottom and the right.
constexpr int title_height = 360;
constexpr int prompt_bottom = 1260;
// Buttons of the usual 75 x 23 pixels at 96 dpi, 6 pixels apart.
constexpr int button_width = 1125;
constexpr int button_height = 345;
constexpr int button_gap = 90;
constexpr int button_margin = 180;
// Ten-point text: 200 twips.
constexpr int text_twips = 200;

// Where the box's corner is: `pixels` in the window, `twips` in the
// design's twips, where it is drawn from them. An edge `t` twips in from the
// corner is rounded from the twips' corner, as the cells are.
struct Corner {
    PixelPoint pixels;
    PixelPoint twips;
    double scale;

    int x(int t) const
    {
        return pixels.x + scaled_pixels(twips.x + t, scale) - scaled_pixels(twips.x, scale);
    }
    int y(int t) const
    {
        return pixels.y + scaled_pixels(twips.y + t, scale) - scaled_pixels(twips.y, scale);
    }
};

// The rectangle between two corners in twips, each edge rounded on its own.
PixelRect between(int left, int top, int right, int bottom, const Corner& at)
{
    return PixelRect{at.x(left), at.y(top), at.x(right) - at.x(left), at.y(bottom) - at.y(top)};
}

// A button with its bottom-right corner at (right, bottom) twips, its size
// rounded on its own so every button has the same size in pixels.
PixelRect button(int right, int bottom, const Corner& at)
{
    const int width = scaled_pixels(button_width, at.scale);
    const int height = scaled_pixels(button_height, at.scale);
    return PixelRect{at.x(right) - width, at.y(bottom) - height, width, height};
}

bool inside(const PixelRect& rect, int x, int y)
{
    return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
}

} // namespace

BoxLayout box_layout(Buttons buttons, double scale, PixelPoint at, PixelPoint twips)
{
    const Corner corner{at, twips, scale};
    BoxLayout layout;
    layout.frame = between(0, 0, box_width_twips, box_height_twips, corner);
    layout.border = scaled_pixels(15, scale) > 0 ? scaled_pixels(15, scale) : 1;
    const int b = layout.border;
    layout.title_bar = PixelRect{layout.frame.x + b, layout.frame.y + b, layout.frame.width - 2 * b,
                                 corner.y(title_height) - layout.frame.y - b};
    const PixelRect below_title = between(0, title_height, box_width_twips, prompt_bottom, corner);
    layout.prompt =
        PixelRect{layout.title_bar.x, below_title.y, layout.title_bar.width, below_title.height};
    layout.text_left = corner.x(180);
    layout.text_pixels = scaled_pixels(text_twips, scale);

    const int bottom = box_height_twips - button_margin;
    if (buttons == Buttons::ok_cancel) {
        const int cancel_right = box_width_twips - button_margin;
        layout.ok = button(cancel_right - button_width - button_gap, bottom, corner);
        layout.cancel = button(cancel_right, bottom, corner);
    } else {
        layout.ok = button((box_width_twips + button_width) / 2, bottom, corner);
    }
    return layout;
}

BoxLayout box_layout(Buttons buttons, const Placement& placed)
{
    return box_layout(buttons, placed.box_scale, PixelPoint{placed.box.x, placed.box.y},
                      placed.box_twips);
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
