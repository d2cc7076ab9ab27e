// The page's test build: the page tests open it with ?rehearse=lost or
// ?rehearse=won to have the game play the draws that reach that box
// (tests/support/rehearsal.hpp). The period stays the window's: those tests
// run the page's clock themselves.
#include "shell/front_end.hpp"
#include "shell/test_build.hpp"
#include "tests/support/rehearsal.hpp"

#include <emscripten/emscripten.h>

#include <chrono>

namespace {

// 1 for ?rehearse=lost, 2 for ?rehearse=won, 0 otherwise.
EM_JS(int, blockdrop_rehearsal_asked, (), {
    var asked = new URLSearchParams(location.search).get('rehearse');
    return asked === 'won' ? 2 : asked === 'lost' ? 1 : 0;
});

} // namespace

namespace blockdrop {

void prepare_test_build(FrontEnd& game)
{
    const int asked = blockdrop_rehearsal_asked();
    if (asked != 0)
        game.rehearse(asked == 2 ? draws_for_win() : draws_for_loss(), std::chrono::milliseconds(0));
}

} // namespace blockdrop
