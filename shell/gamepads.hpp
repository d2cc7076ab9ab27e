#pragma once

#include "shell/platform.hpp"

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace blockdrop {

// A pad's controls as a front end reads them, in the standard layout: A is
// the bottom face button, B the right one; the stick runs from -1 (left) to
// 1 (right).
struct PadControls {
    bool dpad_left = false;
    bool dpad_right = false;
    bool shoulder_left = false;
    bool shoulder_right = false;
    bool a = false;
    bool b = false;
    bool start = false;
    double stick_x = 0;
};

// What a pad asks for: a shift (the arrow key's code goes to the game's key
// handler), or an answer to a message box.
enum class PadAction { left, right, ok, cancel };

// The key code of a shift, or nothing for the box buttons, which the game
// itself never sees.
std::optional<int> pad_key(PadAction action);

// The answer of a message box with `buttons` to a pad's action, or nothing
// when the box drops it: B cancels, or answers OK where OK is the only
// button.
std::optional<int> pad_answer(PadAction action, Buttons buttons);

// Every pad the front end knows of, turned into the game's input: a press of
// Left or Right is one shift, and a held one repeats as a held key does. The
// stick moves only when pushed past half its travel and lets go only when
// back inside 40 percent, so it does not chatter at the edge. Time comes in
// from the front end; the pads never read the clock.
class Gamepads {
public:
    using Time = std::chrono::steady_clock::time_point;

    static constexpr double stick_press = 0.5;
    static constexpr double stick_release = 0.4;
    static constexpr std::chrono::milliseconds first_repeat{250};
    static constexpr std::chrono::milliseconds repeat{40};

    // The pad `id` reads `controls` at `now` (a pad seen for the first time
    // is connected by it); what its presses ask for, in order.
    std::vector<PadAction> read(int id, const PadControls& controls, Time now);

    // The pad is gone: whatever it held stops.
    void detach(int id);

    // The repeats of held directions that are due at `now`, one per pad at
    // most: a loop that was held up does not catch up in a burst.
    std::vector<PadAction> repeats(Time now);

    // How long the front end may sleep at `now` before the next repeat:
    // milliseconds rounded up, -1 while nothing is held.
    int wait_ms(Time now) const;

    bool any() const { return !pads_.empty(); }
    std::size_t count() const { return pads_.size(); }

    // What each pad held when last read, and its repeat: all that decides
    // what its next read asks for, for a front end that saves its game.
    enum class Held { none, left, right };
    struct Pad {
        int id = 0;
        PadControls last;
        // Left and Right as last read, from any of their controls.
        bool left = false;
        bool right = false;
        bool stick_left = false;
        bool stick_right = false;
        Held held = Held::none;
        Time next{};
    };
    const std::vector<Pad>& pads() const { return pads_; }
    void restore(std::vector<Pad> pads) { pads_ = std::move(pads); }

private:
    Pad& pad(int id);

    std::vector<Pad> pads_;
};

// When a front end reads its pads: every `interval` while there is
// something to read (a pad connected, or one expected), never otherwise.
class PadPolling {
public:
    using Time = Gamepads::Time;
    static constexpr std::chrono::milliseconds interval{8};

    // Whether a read is due at `now` while `active`; the next is then due
    // an interval on.
    bool due(Time now, bool active);

    // The next read is due at once.
    void soon() { next_ = Time{}; }

    // How long the front end may sleep at `now`: until the pads' next
    // repeat, or the next read while `active`; -1 for no limit.
    int wait_ms(const Gamepads& pads, Time now, bool active) const;

private:
    Time next_{};
};

class FrontEnd;

// The shifts among `actions` as key-downs of the arrow keys on `front`,
// through its key path and in-tick guard; the box buttons are dropped.
void press_pad_keys(FrontEnd& front, const std::vector<PadAction>& actions);

// The earlier of two waits in milliseconds, where -1 is no limit.
int earlier_wait(int first, int second);

} // namespace blockdrop
