#include "shell/windows/windows_platform.hpp"

#include "shell/box_answer.hpp"
#include "shell/windows/keys.hpp"
#include "shell/windows/pads.hpp"
#include "shell/windows/text.hpp"
#include "shell/windows/window.hpp"

#include <windows.h>

#include <chrono>

namespace blockdrop::windows {

void WindowsPlatform::paint(const Form1& form)
{
    window_.paint(form);
}

void WindowsPlatform::attach(WindowsPads& pads)
{
    pads_ = &pads;
    window_.attach_pads(*this);
}

void WindowsPlatform::devices_changed()
{
    if (pads_ == nullptr)
        return;
    pads_->devices_changed();
    // The box's own loop runs now: the timer reads the pads in it.
    if (box_)
        SetTimer(window_.handle(), box_timer, static_cast<UINT>(PadPolling::interval.count()),
                 nullptr);
}

void WindowsPlatform::box_timer_fired()
{
    if (pads_ == nullptr || !box_)
        return;
    for (const PadAction action : pads_->poll(std::chrono::steady_clock::now())) {
        const auto answer = pad_answer(action, *box_);
        if (answer && !answered_)
            answered_ = answer_box(window_.handle(), *answer);
    }
    if (!pads_->any())
        KillTimer(window_.handle(), box_timer);
}

int WindowsPlatform::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    // The board as the tick has left it stays on screen behind the box.
    window_.paint(board());
    // The box disables its owner and runs its own message loop, which still
    // dispatches the game window's messages: WM_PAINT keeps the board drawn,
    // and the front end drops keys while the tick that opened the box runs.
    // The box itself takes only its own keys.
    const BoxKeyFilter only_box_keys;
    const BoxBesideBoard beside_board;
    box_ = buttons;
    answered_ = false;
    if (pads_ != nullptr && pads_->any())
        SetTimer(window_.handle(), box_timer, static_cast<UINT>(PadPolling::interval.count()),
                 nullptr);
    const int pressed = MessageBoxW(window_.handle(), wide(prompt).c_str(), wide(title).c_str(),
                                    buttons == Buttons::ok_cancel ? MB_OKCANCEL : MB_OK);
    KillTimer(window_.handle(), box_timer);
    box_.reset();
    window_.drop_queued_keys();
    // IDOK and IDCANCEL are the game's answers; 0 is a box that failed.
    return box_answer(pressed, buttons);
}

void WindowsPlatform::End()
{
    ExitProcess(0);
}

} // namespace blockdrop::windows
