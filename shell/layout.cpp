#include "shell/layout.hpp"

#include "board/form.hpp"
#include "board/setup.hpp"
#include "shell/design.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace blockdrop {

double scale_at_dpi(double dpi)
{
    return dpi / 96.0;
}

int scaled_pixels(int twips, double scale)
{
    return static_cast<int>(std::floor(twips * scale / twips_per_pixel + 0.5));
}

PixelRect pixel_rect(const Shape& cell, double scale)
{
    const int x = scaled_pixels(cell.Left, scale);
    const int y = scaled_pixels(cell.Top, scale);
    return PixelRect{x, y, scaled_pixels(cell.Left + cell.Width, scale) - x,
                     scaled_pixels(cell.Top + cell.Height, scale) - y};
}

namespace {

// The far corner of the cells the set-up places, in twips: read once, as the
// set-up places every cell the same way each time.
std::pair<int, int> board_corner_twips()
{
    static const std::pair<int, int> corner = [] {
        Form1 form;
        loadshapes(form);
        std::pair<int, int> far{0, 0};
        for (int i = 0; i < ShapeArray::size; ++i) {
            far.first = std::max(far.first, form.Block(i).Left + form.Block(i).Width);
            far.second = std::max(far.second, form.Block(i).Top + form.Block(i).Height);
        }
        return far;
    }();
    return corner;
}

} // namespace

int board_bottom_twips()
{
    return board_corner_twips().second;
}

int board_right_twips()
{
    return board_corner_twips().first;
}

PixelSize client_size(double scale)
{
    return PixelSize{scaled_pixels(client_width_twips, scale),
                     scaled_pixels(client_height_twips, scale)};
}

Placement fit_client(PixelSize window, double natural)
{
    const PixelSize at_natural = client_size(natural);
    double scale = std::min(static_cast<double>(window.width) * twips_per_pixel / client_width_twips,
                            static_cast<double>(window.height) * twips_per_pixel /
                                client_height_twips);
    if (at_natural.width <= window.width && at_natural.height <= window.height)
        scale = std::max(scale, natural);
    // A window too small for any picture still gets one pixel.
    scale = std::max(scale, 1.0 / twips_per_pixel);
    const PixelSize size = client_size(scale);
    return Placement{scale, PixelRect{(window.width - size.width) / 2,
                                      (window.height - size.height) / 2, size.width, size.height}};
}

PixelSize smallest_window(double natural)
{
    return client_size(natural * 0.75);
}

std::vector<PixelRect> changed_cells(const Form1& before, const Form1& after, double scale)
{
    std::vector<PixelRect> changed;
    for (int i = 0; i < ShapeArray::size; ++i) {
        const bool was = before.Block.exists(i);
        const bool is = after.Block.exists(i);
        if (was == is && (!is || before.Block(i) == after.Block(i)))
            continue;
        for (const Form1* form : {&before, &after}) {
            if (!form->Block.exists(i))
                continue;
            const PixelRect rect = pixel_rect(form->Block(i), scale);
            if (std::find(changed.begin(), changed.end(), rect) == changed.end())
                changed.push_back(rect);
        }
    }
    return changed;
}

std::vector<Fill> board_fills(const Form1& form, double scale, PixelSize area)
{
    std::vector<Fill> fills;
    fills.reserve(ShapeArray::size + 1);
    fills.push_back(Fill{PixelRect{0, 0, area.width, area.height}, window_background});
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block.exists(i) || !form.Block(i).Visible)
            continue;
        const Shape& cell = form.Block(i);
        fills.push_back(Fill{pixel_rect(cell, scale), cell.BackColor});
    }
    return fills;
}

} // namespace blockdrop
