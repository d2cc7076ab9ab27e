// The pads as the game's input: presses, held directions and their repeats,
// the stick's dead zone and hysteresis, the box buttons, pads that go away
// and several pads at once. Time is passed in, so every moment is exact.
#include "shell/gamepads.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace blockdrop {
namespace {

using namespace std::chrono_literals;
using Actions = std::vector<PadAction>;
constexpr auto L = PadAction::left;
constexpr auto R = PadAction::right;

const Gamepads::Time t0{std::chrono::seconds(1000)};

PadControls dpad_left()
{
    PadControls controls;
    controls.dpad_left = true;
    return controls;
}

PadControls stick(double x)
{
    PadControls controls;
    controls.stick_x = x;
    return controls;
}

TEST(Gamepads, APressIsOneShiftAndARepeatOnlyAfterTheFirstDelay)
{
    Gamepads pads;
    EXPECT_FALSE(pads.any());
    EXPECT_EQ(pads.read(0, PadControls{}, t0), Actions{}) << "connecting presses nothing";
    EXPECT_TRUE(pads.any());
    EXPECT_EQ(pads.wait_ms(t0), -1) << "nothing held, nothing to wake up for";

    EXPECT_EQ(pads.read(0, dpad_left(), t0), Actions{L});
    EXPECT_EQ(pads.read(0, dpad_left(), t0 + 10ms), Actions{}) << "still the same press";
    EXPECT_EQ(pads.wait_ms(t0 + 10ms), 240);
    EXPECT_EQ(pads.repeats(t0 + 249ms), Actions{});
    EXPECT_EQ(pads.repeats(t0 + 250ms), Actions{L});
    EXPECT_EQ(pads.repeats(t0 + 250ms), Actions{}) << "one repeat per point";
    EXPECT_EQ(pads.wait_ms(t0 + 250ms), 40);
    EXPECT_EQ(pads.repeats(t0 + 290ms), Actions{L});
    EXPECT_EQ(pads.repeats(t0 + 330ms), Actions{L});

    EXPECT_EQ(pads.read(0, PadControls{}, t0 + 340ms), Actions{});
    EXPECT_EQ(pads.repeats(t0 + 2s), Actions{}) << "released, it stops";
    EXPECT_EQ(pads.wait_ms(t0 + 2s), -1);
}

// About 25 repeats a second, and a loop that wakes late gets one repeat,
// not a burst.
TEST(Gamepads, ARepeatRateBetweenThirtyAndFiftyMillisecondsAndNoBurst)
{
    Gamepads pads;
    pads.read(0, dpad_left(), t0);
    int count = 0;
    for (auto now = t0; now < t0 + 1250ms; now += 1ms)
        count += static_cast<int>(pads.repeats(now).size());
    EXPECT_GE(count, 20);
    EXPECT_LE(count, 34);

    EXPECT_EQ(pads.repeats(t0 + 5s), Actions{L});
    EXPECT_EQ(pads.repeats(t0 + 5s + 1ms), Actions{});
    EXPECT_EQ(pads.wait_ms(t0 + 5s), 40);
}

TEST(Gamepads, DpadShouldersAndStickAreTheSameDirection)
{
    Gamepads pads;
    PadControls controls;
    controls.shoulder_right = true;
    EXPECT_EQ(pads.read(0, controls, t0), Actions{R});
    controls.dpad_right = true;
    controls.stick_x = 1;
    EXPECT_EQ(pads.read(0, controls, t0 + 10ms), Actions{}) << "Right is held already";
    controls.shoulder_right = false;
    controls.dpad_right = false;
    EXPECT_EQ(pads.read(0, controls, t0 + 20ms), Actions{}) << "the stick still holds it";
    EXPECT_EQ(pads.repeats(t0 + 250ms), Actions{R}) << "the hold began with the first press";

    PadControls shoulder_left;
    shoulder_left.shoulder_left = true;
    Gamepads other;
    EXPECT_EQ(other.read(1, shoulder_left, t0), Actions{L});
}

TEST(Gamepads, TheStickMovesPastHalfItsTravelAndLetsGoInsideFortyPercent)
{
    Gamepads pads;
    EXPECT_EQ(pads.read(0, stick(-0.3), t0), Actions{});
    EXPECT_EQ(pads.read(0, stick(-0.49), t0), Actions{}) << "inside the dead zone";
    EXPECT_EQ(pads.read(0, stick(-0.5), t0), Actions{L});
    // Wobbling at the edge neither lets go nor presses again.
    for (const double x : {-0.45, -0.55, -0.41, -0.6, -0.42})
        EXPECT_EQ(pads.read(0, stick(x), t0 + 10ms), Actions{}) << x;
    EXPECT_EQ(pads.repeats(t0 + 250ms), Actions{L}) << "still held";
    EXPECT_EQ(pads.read(0, stick(-0.39), t0 + 260ms), Actions{});
    EXPECT_EQ(pads.repeats(t0 + 1s), Actions{}) << "let go";
    EXPECT_EQ(pads.read(0, stick(-0.45), t0 + 1s), Actions{}) << "not back past half";
    EXPECT_EQ(pads.read(0, stick(-0.5), t0 + 1s), Actions{L});
    EXPECT_EQ(pads.read(0, stick(0.0), t0 + 1s), Actions{});
    EXPECT_EQ(pads.read(0, stick(0.7), t0 + 1s), Actions{R});
    EXPECT_EQ(pads.read(0, stick(-0.7), t0 + 1s), Actions{L}) << "straight across";
}

TEST(Gamepads, TheOtherDirectionTakesOverAndTheFirstDoesNotComeBack)
{
    Gamepads pads;
    PadControls controls = dpad_left();
    pads.read(0, controls, t0);
    controls.dpad_right = true;
    EXPECT_EQ(pads.read(0, controls, t0 + 100ms), Actions{R});
    EXPECT_EQ(pads.repeats(t0 + 350ms), Actions{R});
    controls.dpad_right = false;
    EXPECT_EQ(pads.read(0, controls, t0 + 360ms), Actions{});
    EXPECT_EQ(pads.repeats(t0 + 2s), Actions{}) << "as with keys, only a new press moves";
}

TEST(Gamepads, BoxButtonsAreEdgesAndTheirAnswers)
{
    Gamepads pads;
    PadControls controls;
    controls.a = true;
    EXPECT_EQ(pads.read(0, controls, t0), Actions{PadAction::ok});
    EXPECT_EQ(pads.read(0, controls, t0 + 1s), Actions{}) << "held, it answers once";
    EXPECT_EQ(pads.repeats(t0 + 2s), Actions{}) << "and never repeats";
    controls = {};
    controls.b = true;
    EXPECT_EQ(pads.read(0, controls, t0 + 2s), Actions{PadAction::cancel});
    controls = {};
    controls.start = true;
    EXPECT_EQ(pads.read(0, controls, t0 + 3s), Actions{PadAction::ok});

    EXPECT_EQ(pad_answer(PadAction::ok, Buttons::ok_cancel), answer_ok);
    EXPECT_EQ(pad_answer(PadAction::ok, Buttons::ok), answer_ok);
    EXPECT_EQ(pad_answer(PadAction::cancel, Buttons::ok_cancel), answer_cancel);
    EXPECT_EQ(pad_answer(PadAction::cancel, Buttons::ok), answer_ok) << "the only button";
    EXPECT_EQ(pad_answer(L, Buttons::ok_cancel), std::nullopt) << "a box drops shifts";
    EXPECT_EQ(pad_answer(R, Buttons::ok), std::nullopt);

    EXPECT_EQ(pad_key(L), key_left);
    EXPECT_EQ(pad_key(R), key_right);
    EXPECT_EQ(pad_key(PadAction::ok), std::nullopt) << "the game never sees A";
    EXPECT_EQ(pad_key(PadAction::cancel), std::nullopt);
}

TEST(Gamepads, APadThatGoesAwayWhileHeldStopsRepeating)
{
    Gamepads pads;
    pads.read(3, dpad_left(), t0);
    pads.detach(3);
    EXPECT_FALSE(pads.any());
    EXPECT_EQ(pads.repeats(t0 + 1s), Actions{});
    EXPECT_EQ(pads.wait_ms(t0 + 1s), -1);
    // Coming back, it starts afresh: what it holds is a new press.
    EXPECT_EQ(pads.read(3, dpad_left(), t0 + 2s), Actions{L});
    pads.detach(7); // never seen: nothing happens
    EXPECT_EQ(pads.count(), 1U);
}

TEST(Gamepads, TwoPadsEachRepeatOnTheirOwn)
{
    Gamepads pads;
    PadControls right;
    right.dpad_right = true;
    EXPECT_EQ(pads.read(1, dpad_left(), t0), Actions{L});
    EXPECT_EQ(pads.read(2, right, t0 + 100ms), Actions{R});
    EXPECT_EQ(pads.count(), 2U);
    EXPECT_EQ(pads.wait_ms(t0 + 100ms), 150);
    EXPECT_EQ(pads.repeats(t0 + 250ms), Actions{L});
    EXPECT_EQ(pads.repeats(t0 + 350ms), (Actions{L, R}));
    pads.read(1, PadControls{}, t0 + 360ms);
    EXPECT_EQ(pads.repeats(t0 + 400ms), Actions{R}) << "one pad's release leaves the other";
    pads.detach(2);
    EXPECT_EQ(pads.repeats(t0 + 500ms), Actions{});
    EXPECT_TRUE(pads.any());
}

// Both desktops read their pads every 8 ms while one is there, never while
// none is, and sleep until the earlier of the next read and the next repeat.
TEST(Gamepads, PollingEveryEightMillisecondsOnlyWhileActive)
{
    PadPolling polling;
    Gamepads pads;
    EXPECT_FALSE(polling.due(t0, false));
    EXPECT_EQ(polling.wait_ms(pads, t0, false), -1) << "nothing to read, nothing held";
    EXPECT_TRUE(polling.due(t0, true));
    EXPECT_FALSE(polling.due(t0 + 7ms, true));
    EXPECT_EQ(polling.wait_ms(pads, t0 + 3ms, true), 5);
    EXPECT_TRUE(polling.due(t0 + 8ms, true));
    pads.read(1, dpad_left(), t0 + 8ms);
    EXPECT_EQ(polling.wait_ms(pads, t0 + 8ms, false), 250) << "the held direction's repeat";
    polling.soon();
    EXPECT_TRUE(polling.due(t0 + 9ms, true));
    // A wait of -1 is no limit.
    EXPECT_EQ(earlier_wait(-1, -1), -1);
    EXPECT_EQ(earlier_wait(-1, 5), 5);
    EXPECT_EQ(earlier_wait(7, -1), 7);
    EXPECT_EQ(earlier_wait(7, 5), 5);
}

} // namespace
} // namespace blockdrop
