#include "shell/libretro/core_game.hpp"

#include "board/setup.hpp"
#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/libretro/core_frame.hpp"

#include <algorithm>
#include <vector>

namespace blockdrop::libretro {

namespace {

// Cancel on the loss box: End leaves the tick by this.
struct GameEnded {};

std::uint64_t mixed(std::uint64_t value)
{
    // SplitMix64's finaliser: neighbouring frames give unrelated seeds.
    value += 0x9E3779B97F4A7C15u;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9u;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBu;
    return value ^ (value >> 31);
}

} // namespace

CoreGame::CoreGame(GameState& game, std::uint64_t seed) : FrontEnd(game), game_(game), seed_(seed) {}

void CoreGame::start()
{
    // A restart keeps counting frames, so that it draws a new game.
    ended_ = false;
    box_.reset();
    answer_count_ = 0;
    pads_ = Gamepads{};
    pointer_was_down_ = false;
    pointer_pressed_ = 0;
    pointer_over_ = 0;
    clock_frame_ = frame_;
    load();
    // A state saved before the first tick holds a whole board here too.
    started_ = tick_start();
}

FrontEnd::Time CoreGame::now() const
{
    return Time(std::chrono::duration_cast<Time::duration>(Frames(clock_frame_)));
}

void CoreGame::Randomize()
{
    generator().seed(mixed(seed_ ^ mixed(clock_frame_)));
}

int CoreGame::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    if (answers_given_ < answer_count_) {
        const Answer& given = answers_[answers_given_++];
        clock_frame_ = given.frame;
        return given.answer;
    }
    throw BoxUp{prompt, buttons, title};
}

void CoreGame::End()
{
    throw GameEnded{};
}

void CoreGame::run_frame(const FrameInput& input)
{
    clock_frame_ = frame_;
    if (!ended_) {
        const Time at = now();
        std::vector<PadAction> actions = pads_.read(0, input.pad, at);
        const std::vector<PadAction> repeats = pads_.repeats(at);
        actions.insert(actions.end(), repeats.begin(), repeats.end());
        if (box_) {
            answer_box(input, actions);
        } else {
            press_pad_keys(*this, actions);
            if (wait_ms(at) == 0)
                play_tick(false);
        }
    }
    pointer_was_down_ = input.pointer_down;
    ++frame_;
}

void CoreGame::answer_box(const FrameInput& input, const std::vector<PadAction>& actions)
{
    if (!box_)
        return;
    const Buttons buttons = box_->buttons;
    std::optional<int> answer;
    for (const PadAction action : actions) {
        if (!answer)
            answer = pad_answer(action, buttons);
    }
    // A touch or click answers as the desktop's does: on its release over
    // the button it pressed.
    if (input.pointer_down) {
        const auto over =
            button_at(box_layout(buttons, frame_placement()), input.point.x, input.point.y);
        pointer_over_ = over.value_or(0);
        if (!pointer_was_down_)
            pointer_pressed_ = pointer_over_;
    } else if (pointer_was_down_) {
        if (!answer && pointer_pressed_ != 0 && pointer_over_ == pointer_pressed_)
            answer = pointer_pressed_;
        pointer_pressed_ = 0;
    }
    if (!answer)
        return;
    if (answer_count_ == max_answers) {
        // More boxes in one tick than the rules ever open: end the game
        // rather than forget an answer.
        ended_ = true;
        box_.reset();
        return;
    }
    answers_[answer_count_++] = Answer{*answer, frame_};
    play_tick(true);
}

CoreGame::TickStart CoreGame::tick_start()
{
    return TickStart{game_.form, generator().saved(), next_rehearsed_draw(), frame_};
}

void CoreGame::play_tick(bool again)
{
    answers_given_ = 0;
    if (again) {
        game_.form = started_.form;
        generator().restore(started_.generator);
        next_rehearsed_draw() = static_cast<std::size_t>(started_.next_draw);
        clock_frame_ = started_.frame;
        box_.reset();
    } else {
        started_ = tick_start();
    }
    try {
        if (again)
            run_tick();
        else
            tick(now());
        answer_count_ = 0;
    } catch (const BoxUp& up) {
        box_ = up;
    } catch (const GameEnded&) {
        ended_ = true;
        answer_count_ = 0;
    }
    clock_frame_ = frame_;
}

} // namespace blockdrop::libretro
