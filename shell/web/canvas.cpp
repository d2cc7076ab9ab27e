#include "shell/web/canvas.hpp"

#include "board/form.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"

#include <emscripten/emscripten.h>

#include <algorithm>

// The browser side of the page, called from C++ (C linkage, so outside our
// namespace). clang-format would take the JavaScript for C++.
// clang-format off

// Device pixels to a 96-dpi pixel of the window: devicePixelRatio, times
// the scale at which the page lays the board out to fit the viewport
// (page.js). 0 once the board has been taken down.
EM_JS(double, blockdrop_canvas_scale, (int width, int height), {
    if (!document.getElementById('board'))
        return 0;
    return (window.devicePixelRatio || 1) * Module.boardScale(width, height);
});

// Sizes the canvas to `width` x `height` device pixels, laid out at the
// matching CSS size, notes how much of it the cells take (the page's
// dialog keeps clear of them) and clears it to the background.
EM_JS(void, blockdrop_begin_canvas, (int width, int height, int cells_width, int cells_height, int red, int green, int blue), {
    const canvas = document.getElementById('board');
    const ratio = window.devicePixelRatio || 1;
    if (canvas.width !== width || canvas.height !== height) {
        canvas.width = width;
        canvas.height = height;
    }
    canvas.style.width = width / ratio + 'px';
    canvas.style.height = height / ratio + 'px';
    canvas.dataset.cells = cells_width / ratio + ' ' + cells_height / ratio;
    const context = canvas.getContext('2d', {alpha: false});
    context.fillStyle = 'rgb(' + red + ',' + green + ',' + blue + ')';
    context.fillRect(0, 0, width, height);
});

EM_JS(void, blockdrop_fill_square, (int x, int y, int width, int height, int red, int green, int blue), {
    const context = document.getElementById('board').getContext('2d');
    context.fillStyle = 'rgb(' + red + ',' + green + ',' + blue + ')';
    context.fillRect(x, y, width, height);
});

EM_JS(void, blockdrop_end_page, (), {
    Module.ended();
});

// clang-format on

namespace blockdrop::web {

void paint(const Form1& form)
{
    const double scale =
        blockdrop_canvas_scale(to_pixels(client_width_twips), to_pixels(client_height_twips));
    if (scale <= 0)
        return; // the board has been taken down
    // The cells' extent, shown or not: the part of the client area the page
    // must never cover.
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block.exists(i))
            continue;
        const Shape& cell = form.Block(i);
        right = std::max(right, cell.Left + cell.Width);
        bottom = std::max(bottom, cell.Top + cell.Height);
    }
    blockdrop_begin_canvas(scaled_pixels(client_width_twips, scale),
                           scaled_pixels(client_height_twips, scale), scaled_pixels(right, scale),
                           scaled_pixels(bottom, scale), window_background.red,
                           window_background.green, window_background.blue);
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block.exists(i) || !form.Block(i).Visible)
            continue;
        const Shape& cell = form.Block(i);
        const PixelRect at = pixel_rect(cell, scale);
        blockdrop_fill_square(at.x, at.y, at.width, at.height, cell.BackColor.red,
                              cell.BackColor.green, cell.BackColor.blue);
    }
}

void take_down()
{
    blockdrop_end_page();
}

} // namespace blockdrop::web
