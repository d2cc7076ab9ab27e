#include "shell/gamepads.hpp"

#include "shell/box_answer.hpp"

#include "shell/front_end.hpp"

#include <algorithm>

namespace blockdrop {

std::optional<int> pad_key(PadAction action)
{
    switch (action) {
    case PadAction::left: return key_left;
    case PadAction::right: return key_right;
    default: return std::nullopt;
    }
}

std::optional<int> pad_answer(PadAction action, Buttons buttons)
{
    switch (action) {
    case PadAction::ok: return answer_ok;
    case PadAction::cancel: return answer_without_button(buttons);
    default: return std::nullopt;
    }
}

Gamepads::Pad& Gamepads::pad(int id)
{
    const auto found =
        std::find_if(pads_.begin(), pads_.end(), [id](const Pad& pad) { return pad.id == id; });
    if (found != pads_.end())
        return *found;
    Pad& added = pads_.emplace_back();
    added.id = id;
    return added;
}

std::vector<PadAction> Gamepads::read(int id, const PadControls& controls, Time now)
{
    Pad& state = pad(id);
    // The stick's hysteresis: past stick_press it engages, and it stays
    // engaged until it comes back inside stick_release.
    const double x = controls.stick_x;
    state.stick_left = state.stick_left ? x < -stick_release : x <= -stick_press;
    state.stick_right = state.stick_right ? x > stick_release : x >= stick_press;

    const bool left = controls.dpad_left || controls.shoulder_left || state.stick_left;
    const bool right = controls.dpad_right || controls.shoulder_right || state.stick_right;
    const PadControls& was = state.last;

    std::vector<PadAction> actions;
    // A released direction stops repeating, even when the other one is
    // still held: as with keys, only a new press moves again.
    if ((state.held == Held::left && !left) || (state.held == Held::right && !right))
        state.held = Held::none;
    const auto press = [&](Held direction, PadAction action) {
        actions.push_back(action);
        state.held = direction;
        state.next = now + first_repeat;
    };
    if (left && !state.left)
        press(Held::left, PadAction::left);
    if (right && !state.right)
        press(Held::right, PadAction::right);
    if ((controls.a && !was.a) || (controls.start && !was.start))
        actions.push_back(PadAction::ok);
    if (controls.b && !was.b)
        actions.push_back(PadAction::cancel);
    state.last = controls;
    state.left = left;
    state.right = right;
    return actions;
}

void Gamepads::detach(int id)
{
    std::erase_if(pads_, [id](const Pad& pad) { return pad.id == id; });
}

std::vector<PadAction> Gamepads::repeats(Time now)
{
    std::vector<PadAction> actions;
    for (Pad& state : pads_) {
        if (state.held == Held::none || now < state.next)
            continue;
        actions.push_back(state.held == Held::left ? PadAction::left : PadAction::right);
        state.next += repeat;
        if (state.next <= now)
            state.next = now + repeat;
    }
    return actions;
}

int Gamepads::wait_ms(Time now) const
{
    int wait = -1;
    for (const Pad& state : pads_) {
        if (state.held == Held::none)
            continue;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(state.next - now).count();
        wait = earlier_wait(wait, static_cast<int>(std::max<decltype(left)>(left, 0)));
    }
    return wait;
}

void press_pad_keys(FrontEnd& front, const std::vector<PadAction>& actions)
{
    for (const PadAction action : actions) {
        if (const auto key = pad_key(action))
            front.key_down(*key, 0);
    }
}

bool PadPolling::due(Time now, bool active)
{
    if (!active || now < next_)
        return false;
    next_ = now + interval;
    return true;
}

int PadPolling::wait_ms(const Gamepads& pads, Time now, bool active) const
{
    const int wait = pads.wait_ms(now);
    if (!active)
        return wait;
    const auto until = std::chrono::ceil<std::chrono::milliseconds>(next_ - now).count();
    return earlier_wait(wait, static_cast<int>(std::max<decltype(until)>(until, 0)));
}

int earlier_wait(int first, int second)
{
    if (first < 0)
        return second;
    if (second < 0)
        return first;
    return std::min(first, second);
}

} // namespace blockdrop
