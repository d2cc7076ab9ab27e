#include "shell/windows/draw.hpp"

#include "shell/design.hpp"
#include "shell/layout.hpp"

namespace blockdrop::windows {

SIZE client_pixels(unsigned dpi)
{
    const PixelSize size = client_size(scale_at_dpi(dpi));
    return SIZE{size.width, size.height};
}

void draw_board(HDC dc, const Form1& form, double scale, SIZE size)
{
    for (const Fill& fill :
         board_fills(form, scale,
                     PixelSize{static_cast<int>(size.cx), static_cast<int>(size.cy)})) {
        const RECT area{fill.rect.x, fill.rect.y, fill.rect.x + fill.rect.width,
                        fill.rect.y + fill.rect.height};
        SetDCBrushColor(dc, RGB(fill.colour.red, fill.colour.green, fill.colour.blue));
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
}

void fill_background(HDC dc, const RECT& area)
{
    SetDCBrushColor(dc, RGB(window_background.red, window_background.green, window_background.blue));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

} // namespace blockdrop::windows
