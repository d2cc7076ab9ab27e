// The browser front end: the page's one thread runs a browser callback at a
// time, so a tick never runs inside another or inside a key handler. Each
// callback turns a timeout or a key press into a call of the game's
// handlers, then sets the one timeout for the next point of the clock's grid.
//
// A tick that opens the message box is suspended (Asyncify) until the box is
// answered, and the page goes on with other callbacks meanwhile: a key
// returns at once (the core's in_tick guard), a resize repaints the board as
// the tick left it, and no timeout is pending, since on_timer sets the next
// one only once its tick has finished.
#include "shell/test_build.hpp"
#include "shell/web/keys.hpp"
#include "shell/web/pads.hpp"
#include "shell/web/web_platform.hpp"

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <chrono>

namespace blockdrop::web {
namespace {

struct Game {
    GameState game;
    WebPlatform platform{game};
    WebPads pads{platform, {}};
};

void on_timer(void* data)
{
    Game& game = *static_cast<Game*>(data);
    // A timeout may fire a little early, and after a dialog the grid skips
    // the points it missed instead of ticking to catch up.
    game.platform.tick(std::chrono::steady_clock::now());
    // A tick suspended under its box sets the next timeout when it has
    // finished: a timeout that fires meanwhile sets none, or it would come
    // again at once, and again, for as long as the box or a break is up.
    if (!game.platform.in_tick())
        game.platform.schedule(on_timer, &game);
}

EM_BOOL on_key(int /*type*/, const EmscriptenKeyboardEvent* event, void* data)
{
    static_cast<Game*>(data)->platform.key_down(
        virtual_key(event->key), modifier_state(event->shiftKey, event->ctrlKey, event->altKey));
    return page_keeps(event->key) ? EM_TRUE : EM_FALSE;
}

// The player away from the game or back (page.js says when: the page
// hidden, or a portal's ad break over it): the clock stands still meanwhile
// and goes on where it stood. A tick suspended under its box sets its own
// timeout when it has finished.
void set_away(Game& game, bool away)
{
    const auto now = std::chrono::steady_clock::now();
    if (away)
        game.platform.away(now);
    else
        game.platform.back(now);
    if (!game.platform.in_tick())
        game.platform.schedule(on_timer, &game);
}

// A zoom or a move to another screen changes devicePixelRatio.
EM_BOOL on_resize(int /*type*/, const EmscriptenUiEvent* /*event*/, void* data)
{
    static_cast<Game*>(data)->platform.repaint();
    return EM_FALSE;
}

} // namespace
} // namespace blockdrop::web

// page.js tells the game when the player goes away and comes back (C
// names, so outside our namespace). clang-format would take the JavaScript
// for C++.
extern "C" EMSCRIPTEN_KEEPALIVE void blockdrop_set_away(void* game, int away)
{
    blockdrop::web::set_away(*static_cast<blockdrop::web::Game*>(game), away != 0);
}

// clang-format off
EM_JS(void, blockdrop_listen_away, (void* game), {
    Module.setAway = function (away) { Module._blockdrop_set_away(game, away ? 1 : 0); };
});
// clang-format on

int main()
{
    using namespace blockdrop::web;
    // The game lives as long as the page; main returns at once and the
    // browser's callbacks carry on with it.
    auto* game = new Game;
    prepare_test_build(game->platform);
    game->platform.load();
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, game, false, on_key);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, game, false, on_resize);
    blockdrop_listen_away(game);
    game->platform.schedule(on_timer, game);
    start_pads(game->pads);
    return 0;
}
