#include "shell/web/canvas.hpp"

#include "board/form.hpp"
#include "shell/layout.hpp"

#include <emscripten/emscripten.h>

// The browser side of the page, called from C++ (C linkage, so outside our
// namespace). clang-format would take the JavaScript for C++.
// clang-format off

// The room the page leaves the game in each of its two arrangements (tall:
// the buttons under it; wide: one each side), in device pixels: tall's
// width and height, then wide's. False once the board has been taken down.
EM_JS(bool, blockdrop_stage_sizes, (int* sizes), {
    if (!document.getElementById('board'))
        return false;
    const measured = Module.stageSizes();
    for (let i = 0; i < 4; ++i)
        HEAP32[(sizes >> 2) + i] = measured[i];
    return true;
});

// Puts the page in its arrangement, the board's canvas at `board` in the
// room and the box's place at `box` (device pixels from the room's corner),
// with the box's text `text_pixels` device pixels high, and sizes the
// canvas's backing to the board, one backing pixel per device pixel.
EM_JS(void, blockdrop_arrange, (bool wide, int board_x, int board_y, int board_width, int board_height,
                                int box_x, int box_y, int box_width, int box_height, int text_pixels,
                                double scale), {
    const canvas = document.getElementById('board');
    if (canvas.width !== board_width || canvas.height !== board_height) {
        canvas.width = board_width;
        canvas.height = board_height;
    }
    canvas.dataset.scale = scale;
    canvas.getContext('2d', {alpha: false});
    Module.arrange(wide, {x: board_x, y: board_y, width: board_width, height: board_height},
                   {x: box_x, y: box_y, width: box_width, height: box_height}, text_pixels);
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
    int sizes[4] = {};
    if (!blockdrop_stage_sizes(sizes))
        return; // the board has been taken down
    // Of the two arrangements, the one with the larger board; a CSS pixel
    // is the page's 96-dpi pixel.
    const double ratio = emscripten_get_device_pixel_ratio();
    const Placement tall = lay_out(PixelSize{sizes[0], sizes[1]}, ratio);
    const Placement wide = lay_out(PixelSize{sizes[2], sizes[3]}, ratio);
    const bool is_wide = wide.scale > tall.scale;
    const Placement& placed = is_wide ? wide : tall;
    const PixelRect& board = placed.board;
    const PixelRect& box = placed.box;
    blockdrop_arrange(is_wide, board.x, board.y, board.width, board.height, box.x, box.y, box.width,
                      box.height, scaled_pixels(200, placed.box_scale), placed.scale);
    for (const Fill& fill : board_fills(form, placed.scale, PixelSize{board.width, board.height}))
        blockdrop_fill_square(fill.rect.x, fill.rect.y, fill.rect.width, fill.rect.height,
                              fill.colour.red, fill.colour.green, fill.colour.blue);
    blockdrop_canvas_drawn();
}

void take_down()
{
    blockdrop_end_page();
}

} // namespace blockdrop::web
