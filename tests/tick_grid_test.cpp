#include "shell/tick_grid.hpp"

#include "board/form.hpp"

#include <gtest/gtest.h>

namespace blockdrop {
namespace {

using namespace std::chrono_literals;

class Grid : public ::testing::Test {
protected:
    Grid() { grid.start(t0, 1000ms); }

    TickGrid::Time t0 = TickGrid::Time{} + 5s;
    TickGrid grid;
};

TEST_F(Grid, TheFirstTickComesAFullIntervalAfterTheStart)
{
    EXPECT_FALSE(grid.take(t0));
    EXPECT_FALSE(grid.take(t0 + 999ms));
    EXPECT_EQ(grid.wait_ms(t0), 1000);
    EXPECT_TRUE(grid.take(t0 + 1000ms));
    EXPECT_EQ(grid.deadline(), t0 + 2000ms);
}

TEST_F(Grid, LateTicksDoNotShiftTheGrid)
{
    // Each tick is taken 300 ms late; the deadlines stay on whole seconds.
    for (int k = 1; k <= 30; ++k) {
        EXPECT_TRUE(grid.take(t0 + k * 1000ms + 300ms)) << k;
        EXPECT_FALSE(grid.take(t0 + k * 1000ms + 301ms)) << "one tick per grid point";
        EXPECT_EQ(grid.deadline(), t0 + (k + 1) * 1000ms);
    }
}

TEST_F(Grid, ALongStallFiresOnceAndSkipsTheMissedPoints)
{
    EXPECT_TRUE(grid.take(t0 + 61'500ms));
    EXPECT_EQ(grid.deadline(), t0 + 62'000ms);
    EXPECT_FALSE(grid.take(t0 + 61'600ms)) << "no burst of catch-up ticks";
    EXPECT_EQ(grid.wait_ms(t0 + 61'600ms), 400);
}

TEST_F(Grid, WaitsAreRoundedUpSoTheLoopNeverWakesEarly)
{
    EXPECT_EQ(grid.wait_ms(t0 + 998'500us), 2);
    EXPECT_EQ(grid.wait_ms(t0 + 999'999us), 1);
    EXPECT_EQ(grid.wait_ms(t0 + 1000ms), 0);
    EXPECT_EQ(grid.wait_ms(t0 + 5000ms), 0);
}

TEST_F(Grid, ARestartLaysANewGridAndAStoppedGridNeverFires)
{
    grid.start(t0 + 700ms, 1000ms);
    EXPECT_FALSE(grid.take(t0 + 1000ms));
    EXPECT_TRUE(grid.take(t0 + 1700ms));

    grid.stop();
    EXPECT_EQ(grid.wait_ms(t0 + 10s), -1);
    EXPECT_FALSE(grid.take(t0 + 10s));
}

TEST(GridInterval, ANonPositiveIntervalCannotSpinTheLoop)
{
    TickGrid grid;
    const TickGrid::Time t0{};
    grid.start(t0, 0ms);
    EXPECT_TRUE(grid.take(t0 + 1ms));
    EXPECT_FALSE(grid.take(t0 + 1ms));
}

TEST_F(Grid, FollowingTheWindowsClockRestartsOrStopsTheGrid)
{
    // A reload half-way to a tick lays a new grid from the reload.
    const Timer enabled{true, 1000};
    grid.follow(enabled, t0 + 400ms);
    EXPECT_FALSE(grid.take(t0 + 1000ms));
    EXPECT_TRUE(grid.take(t0 + 1400ms));

    const Timer faster{true, 250};
    grid.follow(faster, t0 + 2000ms);
    EXPECT_EQ(grid.wait_ms(t0 + 2000ms), 250);

    const Timer disabled{false, 1000};
    grid.follow(disabled, t0 + 3000ms);
    EXPECT_FALSE(grid.running());
    EXPECT_FALSE(grid.take(t0 + 60s));
}

TEST_F(Grid, AwayTheGridStandsStillAndTheRestOfTheIntervalComesAfterTheReturn)
{
    // Away 400 ms after a tick, for five seconds: no tick, no catch-up, and
    // the next one 600 ms after the return.
    ASSERT_TRUE(grid.take(t0 + 1000ms));
    grid.pause(t0 + 1400ms);
    grid.pause(t0 + 3000ms); // a second report of the same absence changes nothing
    EXPECT_FALSE(grid.take(t0 + 2000ms));
    EXPECT_FALSE(grid.take(t0 + 6400ms));
    EXPECT_EQ(grid.wait_ms(t0 + 6400ms), -1) << "nothing to wake for while away";
    grid.resume(t0 + 6400ms);
    EXPECT_EQ(grid.wait_ms(t0 + 6400ms), 600);
    EXPECT_FALSE(grid.take(t0 + 6999ms));
    EXPECT_TRUE(grid.take(t0 + 7000ms));
    EXPECT_EQ(grid.deadline(), t0 + 8000ms);
    grid.resume(t0 + 7500ms); // a return with no absence changes nothing either
    EXPECT_EQ(grid.deadline(), t0 + 8000ms);
}

TEST_F(Grid, ATickDueWhenThePlayerLeftComesOnTheReturnAndARestartWaitsForIt)
{
    grid.pause(t0 + 1200ms); // the tick of t0 + 1 s not yet run
    grid.resume(t0 + 9000ms);
    EXPECT_TRUE(grid.take(t0 + 9000ms));
    EXPECT_FALSE(grid.take(t0 + 9001ms));
    // A new game loaded while away (a pad answered the box) starts its grid
    // on the return, a whole interval before its first tick.
    grid.pause(t0 + 9500ms);
    grid.start(t0 + 9600ms, 1000ms);
    EXPECT_FALSE(grid.take(t0 + 20s));
    grid.resume(t0 + 30s);
    EXPECT_FALSE(grid.take(t0 + 30s + 999ms));
    EXPECT_TRUE(grid.take(t0 + 31s));
}

} // namespace
} // namespace blockdrop
