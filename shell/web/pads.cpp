#include "shell/web/pads.hpp"

#include <emscripten/emscripten.h>

#include <chrono>
#include <optional>

// clang-format off
EM_JS(void, blockdrop_pads_start, (void* pads), {
    if (Module.padsStart)
        Module.padsStart(pads);
});
// clang-format on

namespace blockdrop::web {

int act(WebPads& pads, const std::vector<PadAction>& actions)
{
    const std::optional<Buttons> box = pads.platform.box_up();
    for (const PadAction action : actions) {
        if (box) {
            if (const auto answer = pad_answer(action, *box))
                return *answer;
        } else {
            press_pad_keys(pads.platform, {action});
        }
    }
    return 0;
}

PadControls unpack_controls(int bits, double stick_x)
{
    const auto pressed = [bits](int index) { return ((bits >> index) & 1) != 0; };
    PadControls controls;
    controls.dpad_left = pressed(standard_dpad_left);
    controls.dpad_right = pressed(standard_dpad_right);
    controls.shoulder_left = pressed(standard_shoulder_left);
    controls.shoulder_right = pressed(standard_shoulder_right);
    controls.a = pressed(standard_a);
    controls.b = pressed(standard_b);
    controls.start = pressed(standard_start);
    controls.stick_x = stick_x;
    return controls;
}

void start_pads(WebPads& pads)
{
    blockdrop_pads_start(&pads);
}

} // namespace blockdrop::web

// Called by gamepad.js (C names, so outside our namespace).
extern "C" {

// One pad's controls as read now; the box's answer they give, or 0.
EMSCRIPTEN_KEEPALIVE int blockdrop_pad_read(blockdrop::web::WebPads* pads, int id, int bits,
                                            double stick_x)
{
    using namespace blockdrop::web;
    return act(*pads, pads->pads.read(id, unpack_controls(bits, stick_x),
                                      std::chrono::steady_clock::now()));
}

// The held directions' repeats that are due now.
EMSCRIPTEN_KEEPALIVE void blockdrop_pads_repeat(blockdrop::web::WebPads* pads)
{
    blockdrop::web::act(*pads, pads->pads.repeats(std::chrono::steady_clock::now()));
}

EMSCRIPTEN_KEEPALIVE void blockdrop_pad_detach(blockdrop::web::WebPads* pads, int id)
{
    pads->pads.detach(id);
}
}
