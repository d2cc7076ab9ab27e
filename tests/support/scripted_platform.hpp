#pragma once

#include "board/form.hpp"
#include "shell/platform.hpp"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace blockdrop::testing {

// A message box as the rules asked for it.
struct Dialog {
    std::string prompt;
    Buttons buttons;
    std::string title;

    friend bool operator==(const Dialog&, const Dialog&) = default;
};

// Thrown by ScriptedPlatform::End, so that ending the program unwinds the
// handler that asked for it and a test can look at what it left behind.
struct ProgramEnded {};

// The platform for tests, fuzzing and benchmarks: random draws and dialog
// answers come from a script, every dialog is recorded, reload rebuilds the
// window in place and End throws ProgramEnded.
class ScriptedPlatform final : public Platform {
public:
    std::deque<double> draws;
    std::deque<int> answers;
    // Asked when the queues above run dry; when unset, running dry is an error.
    std::function<double()> next_draw;
    std::function<int(const Dialog&)> next_answer;

    std::vector<Dialog> dialogs;
    int seeds = 0;
    int reloads = 0;
    int ends = 0;

    void Randomize() override;
    double Rnd() override;
    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    void reload(Form1& form) override;
    [[noreturn]] void End() override;
};

// A window loaded for the first time, as at program start.
Form1 new_game(ScriptedPlatform& platform);

} // namespace blockdrop::testing
