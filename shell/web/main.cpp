// The browser front end: the page's one thread runs a browser callback at a
// time, so a tick never runs inside another or inside a key handler. Each
// callback turns a timeout or a key press into a call of the game's
// handlers, then sets the one timeout for the next point of the clock's grid.
#include "board/form.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"
#include "shell/web/canvas.hpp"
#include "shell/web/keys.hpp"
#include "shell/web/web_platform.hpp"

#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <chrono>

namespace blockdrop::web {
namespace {

struct Game {
    Page page;
    WebPlatform platform{page};
};

void on_timer(void* data);

// Sets the timeout for the grid's next point, replacing any pending one.
void schedule(Game& game)
{
    Page& page = game.page;
    clear_timer(page);
    if (!page.form.Clock.Enabled)
        return;
    const int wait = page.grid.wait_ms(std::chrono::steady_clock::now());
    page.timer = emscripten_set_timeout(on_timer, wait < 0 ? 0 : wait, &game);
}

void on_timer(void* data)
{
    Game& game = *static_cast<Game*>(data);
    Page& page = game.page;
    page.timer = 0;
    // A timeout may fire a little early, and after a dialog the grid skips
    // the points it missed instead of ticking to catch up.
    if (page.form.Clock.Enabled && page.grid.take(std::chrono::steady_clock::now())) {
        Clock_Timer(page.form, game.platform);
        paint(page.form);
    }
    schedule(game);
}

EM_BOOL on_key(int /*type*/, const EmscriptenKeyboardEvent* event, void* data)
{
    Game& game = *static_cast<Game*>(data);
    Form1& form = game.page.form;
    const Form1 before = form;
    Form_KeyDown(form, virtual_key(event->key),
                 modifier_state(event->shiftKey, event->ctrlKey, event->altKey));
    if (!(form == before))
        paint(form);
    return page_keeps(event->key) ? EM_TRUE : EM_FALSE;
}

// A zoom or a move to another screen changes devicePixelRatio.
EM_BOOL on_resize(int /*type*/, const EmscriptenUiEvent* /*event*/, void* data)
{
    paint(static_cast<Game*>(data)->page.form);
    return EM_FALSE;
}

} // namespace
} // namespace blockdrop::web

int main()
{
    using namespace blockdrop::web;
    // The game lives as long as the page; main returns at once and the
    // browser's callbacks carry on with it.
    auto* game = new Game;
    game->platform.load(game->page.form);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, game, false, on_key);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, game, false, on_resize);
    schedule(*game);
    return 0;
}
