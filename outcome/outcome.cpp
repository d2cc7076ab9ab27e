#include "outcome/outcome.hpp"

#include "shell/platform.hpp"

namespace blockdrop {

void winner(Form1& form, Platform& platform)
{
    platform.MsgBox("You win! Great!", Buttons::ok, "You Won");
    platform.reload(form);
}

// Only an explicit OK plays on. Any other answer, should a platform ever
// return one, ends the program rather than carrying on with a lost board.
void loser(Form1& form, Platform& platform)
{
    const int answer = platform.MsgBox("You lost. Try again?", Buttons::ok_cancel, "You Lost");
    if (answer == answer_ok)
        platform.reload(form);
    else
        platform.End();
}

} // namespace blockdrop
