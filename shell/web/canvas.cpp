#include "shell/web/canvas.hpp"

#include "board/form.hpp"
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
// matching CSS size, and notes how much of it the cells take (the page's
// dialog keeps clear of them).
EM_JS(void, blockdrop_begin_canvas, (int width, int height, int cells_width, int cells_height), {
    const canvas = document.getElementById('board');
    const ratio = window.devicePixelRatio || 1;
    if (canvas.width !== width || canvas.height !== height) {
        canvas.width = width;
        canvas.height = height;
    }
    canvas.style.width = width / ratio + 'px';
    canvas.style.height = height / ratio + 'px';
    canvas.dataset.cells = cells_width / ratio + ' ' + cells_height / ratio;
    canvas.getContext('2d', {alpha: false});
});

EM_JS(void, blockdrop_fill_square, (int x, int y, int width, int height, int red, int green, int blue), {
    const context = document.getElementById('board').getContext('2d');
    context.fillStyle = 'rgb(' + red + ',' + green + ',' + blue + ')';
    context.fillRect(x, y, width, height);
});

// The board is on the page (a portal's build tells its portal once).
EM_JS(void, blockdrop_canvas_drawn, (), {
    Module.drawn();
});

EM_JS(void, blockdrop_end_page, (), {
    Module.ended();
});

// clang-format on

namespace blockdrop::web {

void paint(const Form1& form)
{
    const PixelSize client = client_size(1.0);
    const double scale = blockdrop_canvas_scale(client.width, client.height);
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
    const PixelSize size = client_size(scale);
    blockdrop_begin_canvas(size.width, size.height, scaled_pixels(right, scale),
                           scaled_pixels(bottom, scale));
    for (const Fill& fill : board_fills(form, scale, size))
        blockdrop_fill_square(fill.rect.x, fill.rect.y, fill.rect.width, fill.rect.height,
                              fill.colour.red, fill.colour.green, fill.colour.blue);
    blockdrop_canvas_drawn();
}

void take_down()
{
    blockdrop_end_page();
}

} // namespace blockdrop::web
