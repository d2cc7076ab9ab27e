// The front-end core that every window shares, driven with a painter that
// counts and a message box that behaves like one that dispatches the
// window's own events while it is up.
#include "shell/front_end.hpp"
#include "tests/support/board_picture.hpp"
#include "tests/support/rehearsal.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace blockdrop {
namespace {

using namespace std::chrono_literals;

class CountingFrontEnd final : public FrontEnd {
public:
    using FrontEnd::FrontEnd;

    int paints = 0;
    int boxes = 0;
    std::string title;
    std::function<void()> while_box_up;

    int MsgBox(std::string_view /*prompt*/, Buttons /*buttons*/, std::string_view shown) override
    {
        ++boxes;
        title = shown;
        if (while_box_up)
            while_box_up();
        return answer_ok;
    }
    [[noreturn]] void End() override { throw std::logic_error("not expected to end"); }

private:
    void paint(const Form1& /*form*/) override { ++paints; }
};

TEST(FrontEnd, LoadStartsTheGridAndPaintsOnlyWhatChanged)
{
    GameState game;
    CountingFrontEnd front(game);
    const auto start = std::chrono::steady_clock::now();
    front.load();
    EXPECT_EQ(front.paints, 1);
    EXPECT_TRUE(game.form.Clock.Enabled);
    EXPECT_TRUE(game.grid.running());
    EXPECT_GE(front.wait_ms(start), 999);

    front.key_down(key_left, 0);
    EXPECT_EQ(front.paints, 2) << "a shift repaints";
    front.key_down(key_left, 0);
    front.key_down(key_up, shift_mask);
    EXPECT_EQ(front.paints, 2) << "a key that changes nothing does not";

    EXPECT_FALSE(front.tick(start + 500ms));
    EXPECT_TRUE(front.tick(start + 1100ms));
    EXPECT_EQ(front.paints, 3);
    EXPECT_FALSE(front.tick(start + 1200ms)) << "one tick per grid point";
}

TEST(FrontEnd, NoKeyAndNoTickRunsWhileABoxIsUp)
{
    GameState game;
    CountingFrontEnd front(game);
    front.load();
    // A full bucket: the next tick opens the win box.
    for (int column = 1; column <= 5; ++column) {
        for (int row = 5; row <= 7; ++row)
            game.form.Block(column + 7 * row).BackColor = red;
    }
    Form1 during;
    front.while_box_up = [&] {
        EXPECT_TRUE(front.in_tick());
        const Form1 before = game.form;
        front.key_down(key_left, 0);
        EXPECT_FALSE(front.tick(std::chrono::steady_clock::now() + 10s));
        during = game.form;
        EXPECT_EQ(during, before) << "a key or a tick ran against the board under the box";
    };
    ASSERT_TRUE(front.tick(std::chrono::steady_clock::now() + 1s));
    EXPECT_EQ(front.boxes, 1);
    EXPECT_FALSE(front.in_tick());
    // The tick reloaded the window and spawned the new game's first piece;
    // the new grid waits a full period from the reload. The bucket rows
    // start at character 40 of the picture.
    EXPECT_EQ(testing::picture(game.form).substr(40), ".ooooo.\n.ooooo.\n.ooooo.");
    EXPECT_GE(front.wait_ms(std::chrono::steady_clock::now()), 990);
    front.key_down(key_left, 0);
    EXPECT_TRUE(game.form.Block(35).Visible) << "keys reach the new game";
}

// Away (a window minimised, a page hidden or held by an ad): no tick and no
// key reaches the board; back, keys do, and the tick comes after the rest.
TEST(FrontEnd, NothingReachesTheBoardWhileThePlayerIsAway)
{
    GameState game;
    CountingFrontEnd front(game);
    const auto start = std::chrono::steady_clock::now();
    front.load();
    const Form1 before = game.form;
    front.away(start + 300ms);
    front.key_down(key_left, 0);
    EXPECT_FALSE(front.tick(start + 9s));
    EXPECT_EQ(game.form, before);
    EXPECT_EQ(front.wait_ms(start + 9s), -1);
    front.back(start + 9s);
    front.key_down(key_left, 0);
    EXPECT_TRUE(game.form.Block(35).Visible) << "keys reach the game again";
    EXPECT_FALSE(front.tick(start + 9s + 699ms));
    EXPECT_TRUE(front.tick(start + 9s + 750ms)) << "the load came a moment after the start";
}

// A test build's rehearsal: its draws go round, its period holds through
// the reload a box's answer makes, and its games end on the ticks the
// window tests count on.
TEST(FrontEnd, ARehearsalLosesOnTheNinthTickOrWinsOnTheTwentyFirst)
{
    for (const auto& [draws, title] :
         {std::pair{draws_for_loss(), "You Lost"}, std::pair{draws_for_win(), "You Won"}}) {
        GameState game;
        CountingFrontEnd front(game);
        front.rehearse(draws, 400ms);
        const auto start = std::chrono::steady_clock::now();
        front.load();
        EXPECT_LE(front.wait_ms(std::chrono::steady_clock::now()), 400);
        int ticks = 0;
        while (front.boxes == 0 && ticks < 40)
            ticks += front.tick(start + (ticks + 1) * 400ms + 200ms) ? 1 : 100;
        EXPECT_EQ(ticks, std::string(title) == "You Lost" ? 9 : 21) << title;
        EXPECT_EQ(front.title, title);
        EXPECT_LE(front.wait_ms(std::chrono::steady_clock::now()), 400) << "after the reload";
    }
}

} // namespace
} // namespace blockdrop
