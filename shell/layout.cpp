#include "shell/layout.hpp"

#include "board/form.hpp"
#include "board/setup.hpp"
#include "shell/design.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

PixelRect Placement::picture() const
{
    const int left = std::min(board.x, box.x);
    const int top = std::min(board.y, box.y);
    return PixelRect{left, top, std::max(board.x + board.width, box.x + box.width) - left,
                     std::max(board.y + board.height, box.y + box.height) - top};
}

namespace {

// A box's room: the box with 180 twips around it.
constexpr int room_margin_twips = 180;
constexpr int room_width_twips = box_width_twips + 2 * room_margin_twips;
constexpr int room_height_twips = box_height_twips + 2 * room_margin_twips;
// The box's least scale at a natural scale of 1: its 200-twip text is then
// 11.6 pixels high, drawn at 12.
constexpr double least_box_scale = 0.87;
// No scale below one pixel to 15 twips: a window too small for any
// picture still gets one.
constexpr double least_scale = 1.0 / twips_per_pixel;

// The scale at which `twips` take `pixels`, and the reverse.
double scale_for(double pixels, int twips)
{
    return pixels * twips_per_pixel / twips;
}

double pixels_at(int twips, double scale)
{
    return twips * scale / twips_per_pixel;
}

PixelSize size_at(int width_twips, int height_twips, double scale)
{
    return PixelSize{scaled_pixels(width_twips, scale), scaled_pixels(height_twips, scale)};
}

// The design: the client area at `natural`, centred, with the board at its
// top left and the box below the board.
Placement designed(PixelSize window, double natural)
{
    const PixelSize client = client_size(natural);
    const int left = (window.width - client.width) / 2;
    const int top = (window.height - client.height) / 2;
    const PixelSize board = size_at(board_right_twips(), board_bottom_twips(), natural);
    const PixelSize box = size_at(box_width_twips, box_height_twips, natural);
    return Placement{natural, PixelRect{left, top, board.width, board.height}, natural,
                     PixelRect{left + scaled_pixels(box_left_twips, natural),
                               top + scaled_pixels(board_bottom_twips() + box_gap_twips, natural),
                               box.width, box.height},
                     PixelPoint{box_left_twips, board_bottom_twips() + box_gap_twips}};
}

// The board with its room beside it (to the right) or below it.
Placement arranged(PixelSize window, double natural, bool beside)
{
    const int board_width = board_right_twips();
    const int board_height = board_bottom_twips();
    const double least_box = least_box_scale * natural;
    const double width = window.width;
    const double height = window.height;
    const double scale = std::max(
        least_scale,
        beside
            ? std::min(scale_for(height, board_height),
                       scale_for(width - pixels_at(room_width_twips, least_box), board_width))
            : std::min(scale_for(width, board_width),
                       scale_for(height - pixels_at(room_height_twips, least_box), board_height)));
    const PixelSize board = size_at(board_width, board_height, scale);
    const PixelSize free = beside ? PixelSize{window.width - board.width, window.height}
                                  : PixelSize{window.width, window.height - board.height};
    const double box_scale = std::max(
        least_scale, std::min({std::max(scale, least_box), scale_for(free.width, room_width_twips),
                               scale_for(free.height, room_height_twips)}));
    const PixelSize room = size_at(room_width_twips, room_height_twips, box_scale);
    const PixelSize box = size_at(box_width_twips, box_height_twips, box_scale);
    const PixelSize group =
        beside ? PixelSize{board.width + room.width, std::max(board.height, room.height)}
               : PixelSize{std::max(board.width, room.width), board.height + room.height};
    const int left = (window.width - group.width) / 2;
    const int top = (window.height - group.height) / 2;
    if (beside)
        return Placement{
            scale,
            PixelRect{left, top + (group.height - board.height) / 2, board.width, board.height},
            box_scale,
            PixelRect{left + board.width + (room.width - box.width) / 2,
                      top + (group.height - box.height) / 2, box.width, box.height},
            {}};
    return Placement{
        scale,
        PixelRect{left + (group.width - board.width) / 2, top, board.width, board.height},
        box_scale,
        PixelRect{left + (group.width - box.width) / 2,
                  top + board.height + (room.height - box.height) / 2, box.width, box.height},
        {}};
}

} // namespace

Placement lay_out(PixelSize window, double natural)
{
    // The natural size, whatever the rounding of the window's edges.
    const PixelSize client = client_size(natural);
    if (std::abs(window.width - client.width) <= 1 && std::abs(window.height - client.height) <= 1)
        return designed(window, natural);
    const Placement beside = arranged(window, natural, true);
    const Placement below = arranged(window, natural, false);
    return beside.scale >= below.scale ? beside : below;
}

PixelSize smallest_window(double natural)
{
    return client_size(natural * 0.75);
}

std::vector<PixelRect> changed_cells(const Form1& before, const Form1& after, double scale,
                                     PixelPoint origin)
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
            PixelRect rect = pixel_rect(form->Block(i), scale);
            rect.x += origin.x;
            rect.y += origin.y;
            if (std::find(changed.begin(), changed.end(), rect) == changed.end())
                changed.push_back(rect);
        }
    }
    return changed;
}

std::vector<Fill> board_fills(const Form1& form, double scale, PixelSize area, PixelPoint origin)
{
    std::vector<Fill> fills;
    fills.reserve(ShapeArray::size + 1);
    fills.push_back(Fill{PixelRect{0, 0, area.width, area.height}, window_background});
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block.exists(i) || !form.Block(i).Visible)
            continue;
        const Shape& cell = form.Block(i);
        PixelRect rect = pixel_rect(cell, scale);
        rect.x += origin.x;
        rect.y += origin.y;
        fills.push_back(Fill{rect, cell.BackColor});
    }
    return fills;
}

} // namespace blockdrop
