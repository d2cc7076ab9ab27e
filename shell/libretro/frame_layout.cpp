#include "shell/libretro/frame_layout.hpp"

#include "shell/desktop/dialog/box_layout.hpp"

namespace blockdrop::libretro {

Placement frame_placement()
{
    return lay_out(frame_size, 1.0);
}

int frame_text_pixels()
{
    return box_layout(Buttons::ok_cancel, frame_placement()).text_pixels;
}

} // namespace blockdrop::libretro
