#include "shell/web/canvas.hpp"

#include "board/form.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"

#include <emscripten/emscripten.h>

// The browser side of the page, called from C++ (C linkage, so outside our
// namespace). clang-format would take the JavaScript for C++.
// clang-format off

// Sizes the canvas for the current devicePixelRatio, clears it to the
// background and returns the ratio the cells are to be drawn at.
EM_JS(double, blockdrop_begin_canvas, (int width, int height, int red, int green, int blue), {
    const canvas = document.getElementById('board');
    if (!canvas)
        return 0;
    const scale = window.devicePixelRatio || 1;
    const backingWidth = Math.round(width * scale);
    const backingHeight = Math.round(height * scale);
    if (canvas.width !== backingWidth || canvas.height !== backingHeight) {
        canvas.width = backingWidth;
        canvas.height = backingHeight;
    }
    canvas.style.width = width + 'px';
    canvas.style.height = height + 'px';
    const context = canvas.getContext('2d', {alpha: false});
    context.fillStyle = 'rgb(' + red + ',' + green + ',' + blue + ')';
    context.fillRect(0, 0, backingWidth, backingHeight);
    return scale;
});

EM_JS(void, blockdrop_fill_square, (int x, int y, int width, int height, int red, int green, int blue), {
    const context = document.getElementById('board').getContext('2d');
    context.fillStyle = 'rgb(' + red + ',' + green + ',' + blue + ')';
    context.fillRect(x, y, width, height);
});

EM_JS(void, blockdrop_remove_canvas, (), {
    const canvas = document.getElementById('board');
    if (canvas)
        canvas.remove();
    const status = document.getElementById('status');
    if (status)
        status.textContent = 'The game has ended. Reload the page to play again.';
});

// clang-format on

namespace blockdrop::web {

void paint(const Form1& form)
{
    const double scale = blockdrop_begin_canvas(
        to_pixels(client_width_twips), to_pixels(client_height_twips), window_background.red,
        window_background.green, window_background.blue);
    if (scale <= 0)
        return; // the board has been taken down
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
    blockdrop_remove_canvas();
}

} // namespace blockdrop::web
