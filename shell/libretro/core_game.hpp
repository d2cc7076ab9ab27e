#pragma once

#include "shell/front_end.hpp"
#include "shell/gamepads.hpp"
#include "shell/layout.hpp"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace blockdrop::libretro {

// The core's only clock: frames, 60 to the second.
inline constexpr int frames_per_second = 60;
using Frames = std::chrono::duration<std::int64_t, std::ratio<1, frames_per_second>>;

// A message box that is up: what it says.
struct BoxUp {
    std::string_view prompt;
    Buttons buttons = Buttons::ok;
    std::string_view title;
};

// What the player does in one frame: the RetroPad, and a touch or the
// mouse's button on a box's button (at `point` in the frame's pixels).
struct FrameInput {
    PadControls pad;
    bool pointer_down = false;
    PixelPoint point;
};

// The game as a libretro core plays it. The frontend owns the loop and calls
// for one frame at a time, so a message box cannot block: a tick that opens
// one is unwound there, the board left as the box found it, and once the
// box is answered the tick is played again from its start with the same
// draws, the box's call then returning the answer, and carries on against
// whatever board that leaves. Everything that decides what comes next is
// part of the game's saved state, so a state restored and played with the
// same input gives the same frames.
class CoreGame : public FrontEnd {
public:
    // `seed`: taken once at load; every Randomize mixes it with the frame.
    CoreGame(GameState& game, std::uint64_t seed);

    // Loads the window: at the core's load, and again at the frontend's
    // restart, whatever was up.
    void start();

    // One frame of the player's input, then the tick when one is due.
    void run_frame(const FrameInput& input);

    std::uint64_t frame() const { return frame_; }
    const std::optional<BoxUp>& box() const { return box_; }
    // Cancel on the loss box has ended the game.
    bool ended() const { return ended_; }
    const Form1& shown() const { return board(); }

    // The saved state: a fixed size, little-endian, versioned.
    static const std::size_t state_size;
    void save(unsigned char* out) const;
    // False, the game as it was, for a state of another size or version,
    // or one this game could never have reached.
    bool restore(const unsigned char* in, std::size_t size);

    // For a test build: draws and a period as FrontEnd::rehearse, in frames.
    using FrontEnd::rehearse;

protected:
    void paint(const Form1& /*form*/) override {}
    Time now() const override;
    void Randomize() override;
    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override;

private:
    struct Answer {
        int answer = 0;
        std::uint64_t frame = 0;
    };
    // At most one box a tick opens (a win reloads before any landing), but
    // room for more.
    static constexpr std::size_t max_answers = 4;
    // What a tick started from, to play it again.
    struct TickStart {
        Form1 form;
        RandomSource::Saved generator;
        std::uint64_t next_draw = 0;
        std::uint64_t frame = 0;
    };

    class Writer;
    class Reader;

    void answer_box(const FrameInput& input, const std::vector<PadAction>& actions);
    void play_tick(bool again);
    TickStart tick_start();
    void write(Writer& out) const;
    bool read(Reader& in);

    GameState& game_;
    std::uint64_t seed_;
    std::uint64_t frame_ = 0;
    // The frame the rules see as now: the frame itself, or while a tick is
    // played again, the frame it began in and then each answer's.
    std::uint64_t clock_frame_ = 0;
    Gamepads pads_;
    bool pointer_was_down_ = false;
    int pointer_pressed_ = 0; // the button a press began on; 0: none
    int pointer_over_ = 0;    // the button under it when last down
    std::optional<BoxUp> box_;
    TickStart started_;
    std::array<Answer, max_answers> answers_{};
    std::size_t answer_count_ = 0;
    std::size_t answers_given_ = 0; // while a tick is played again
    bool ended_ = false;
};

} // namespace blockdrop::libretro
