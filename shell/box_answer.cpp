#include "shell/box_answer.hpp"

namespace blockdrop {

int answer_without_button(Buttons buttons)
{
    return buttons == Buttons::ok_cancel ? answer_cancel : answer_ok;
}

int box_answer(int pressed, Buttons buttons)
{
    if (pressed == answer_ok || (pressed == answer_cancel && buttons == Buttons::ok_cancel))
        return pressed;
    return answer_without_button(buttons);
}

std::optional<int> answer_for_key(int key_code, Buttons buttons)
{
    if (key_code == key_return)
        return answer_ok;
    if (key_code == key_escape)
        return answer_without_button(buttons);
    return std::nullopt;
}

} // namespace blockdrop
