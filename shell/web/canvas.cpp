#include "shell/web/canvas.hpp"

#include "board/form.hpp"
#include "shell/layout.hpp"

#include <emscripten/emscripten.h>

#include <algorithm>

// The browser side of the page, called from C++ (C linkage, so outside our
// namespace). clang-format would take the JavaScript for C++.
// clang-format off

// Device pixels to a 96-dpi pixel of the window: devicePixelRatio, times the
// share of the window's width the page has room for when that is less than
// all of it (a phone). 0 once the board has been taken down.
EM_JS(double, blockdrop_canvas_scale, (int width), {
    const canvas = document.getElementById('board');
    if (!canvas)
        return 0;
    const room = canvas.parentElement.clientWidth;
    return (window.devicePixelRatio || 1) * (room > 0 && room < width ? room / width : 1);
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

EM_JS(void, blockdrop_end_page, (), {
    Module.ended();
});

// clang-format on

namespace blockdrop::web {

void paint(const Form1& form)
{
    const double scale = blockdrop_canvas_scale(client_size(1.0).width);
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
}

void take_down()
{
    blockdrop_end_page();
}

} // namespace blockdrop::web
