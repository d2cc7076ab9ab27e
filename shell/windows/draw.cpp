#include "shell/windows/draw.hpp"

#include "board/form.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"

namespace blockdrop::windows {
namespace {

constexpr double standard_dpi = 96.0;

COLORREF colorref(Colour colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

void fill(HDC dc, const RECT& area, Colour colour)
{
    SetDCBrushColor(dc, colorref(colour));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

} // namespace

SIZE client_pixels(unsigned dpi)
{
    const double scale = dpi / standard_dpi;
    return SIZE{scaled_pixels(client_width_twips, scale),
                scaled_pixels(client_height_twips, scale)};
}

void draw_board(HDC dc, const Form1& form, unsigned dpi, SIZE size)
{
    const double scale = dpi / standard_dpi;
    fill(dc, RECT{0, 0, size.cx, size.cy}, window_background);
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block.exists(i) || !form.Block(i).Visible)
            continue;
        const Shape& cell = form.Block(i);
        const PixelRect at = pixel_rect(cell, scale);
        fill(dc, RECT{at.x, at.y, at.x + at.width, at.y + at.height}, cell.BackColor);
    }
}

} // namespace blockdrop::windows
