#include "tests/support/scripted_platform.hpp"

#include "board/setup.hpp"

#include <stdexcept>

namespace blockdrop::testing {

void ScriptedPlatform::Randomize()
{
    ++seeds;
}

double ScriptedPlatform::Rnd()
{
    if (!draws.empty()) {
        const double draw = draws.front();
        draws.pop_front();
        return draw;
    }
    if (next_draw)
        return next_draw();
    throw std::logic_error("the game drew a random number the script did not provide");
}

int ScriptedPlatform::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    dialogs.push_back(Dialog{std::string(prompt), buttons, std::string(title)});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    if (next_answer)
        return next_answer(dialogs.back());
    throw std::logic_error("the game showed a dialog the script did not answer: " +
                           dialogs.back().prompt);
}

void ScriptedPlatform::reload(Form1& form)
{
    ++reloads;
    load_window(form, *this);
}

void ScriptedPlatform::End()
{
    ++ends;
    throw ProgramEnded{};
}

Form1 new_game(ScriptedPlatform& platform)
{
    Form1 form;
    Form_Load(form, platform);
    return form;
}

} // namespace blockdrop::testing
