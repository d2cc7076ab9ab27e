#include "shell/web/web_platform.hpp"

#include "shell/box_answer.hpp"
#include "shell/web/canvas.hpp"

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <chrono>
#include <string>

// The browser side of the page, called from C++ (C linkage, so outside our
// namespace). clang-format would take the JavaScript for C++.
// clang-format off

// The page's own modal dialog (index.html, Module.showBox). The browser
// cannot block inside a callback, so the tick that asked is suspended
// through Asyncify and the page goes on painting; the dialog's answer
// resumes it. Should the answer end the game, End leaves the resumed tick by
// throwing 'unwind', which stops here: the game is over, not broken.
EM_JS(int, blockdrop_show_box, (const char* prompt, const char* title, int with_cancel), {
    return Asyncify.handleSleep(function(wakeUp) {
        Module.showBox(UTF8ToString(prompt), UTF8ToString(title), with_cancel, function(answer) {
            try {
                wakeUp(answer);
            } catch (e) {
                if (e !== 'unwind')
                    throw e;
            }
        });
    });
});

// clang-format on

namespace blockdrop::web {

void WebPlatform::clear_timer()
{
    if (timer_ != 0)
        emscripten_clear_timeout(timer_);
    timer_ = 0;
}

void WebPlatform::schedule(void (*fire)(void*), void* data)
{
    clear_timer();
    const int wait = wait_ms(std::chrono::steady_clock::now());
    if (wait >= 0)
        timer_ = emscripten_set_timeout(fire, wait, data);
}

void WebPlatform::paint(const Form1& form)
{
    web::paint(form);
}

int WebPlatform::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    // The board as the tick has left it stays on the page beside the box.
    paint(board());
    const std::string message(prompt);
    const std::string caption(title);
    box_ = buttons;
    const int pressed =
        blockdrop_show_box(message.c_str(), caption.c_str(), buttons == Buttons::ok_cancel ? 1 : 0);
    box_.reset();
    // 0: closed with no button (Escape).
    return box_answer(pressed, buttons);
}

void WebPlatform::End()
{
    clear_timer();
    grid().stop();
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, nullptr);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, false, nullptr);
    take_down();
    // Drops the rest of the handler that called End, back to the browser.
    emscripten_unwind_to_js_event_loop();
}

} // namespace blockdrop::web
