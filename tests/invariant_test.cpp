#include "board/form.hpp"
#include "board/setup.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"
#include "tests/support/board_picture.hpp"
#include "tests/support/invariants.hpp"
#include "tests/support/scripted_platform.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>

namespace blockdrop::testing {
namespace {

std::string describe(const std::vector<std::string>& broken)
{
    std::string text;
    for (const std::string& line : broken)
        text += line + "\n";
    return text;
}

// The seed is printed with every failure; BLOCKDROP_SEED replays it.
std::uint64_t test_seed()
{
    if (const char* text = std::getenv("BLOCKDROP_SEED"))
        return std::strtoull(text, nullptr, 10);
    return 20261208;
}

// Random play: ticks with random draws (the ends of the range included), any
// key code with any modifiers (mostly arrows, so the bucket really travels)
// and both answers to the loss dialog. After every event the board must keep
// its invariants.
TEST(Invariants, HoldOverAMillionRandomEvents)
{
    const std::uint64_t seed = test_seed();
    SCOPED_TRACE("BLOCKDROP_SEED=" + std::to_string(seed));
    std::mt19937_64 random(seed);
    const auto chance = [&random](double p) { return std::bernoulli_distribution(p)(random); };

    ScriptedPlatform platform;
    platform.next_draw = [&]() -> double {
        if (chance(0.02))
            return chance(0.5) ? 0.0 : std::nextafter(1.0, 0.0);
        return std::uniform_real_distribution<double>(0.0, 1.0)(random);
    };
    int wins = 0;
    int losses = 0;
    platform.next_answer = [&](const Dialog& dialog) {
        if (dialog.title == "You Won") {
            ++wins;
            return chance(0.5) ? answer_ok : answer_cancel;
        }
        ++losses;
        return chance(0.9) ? answer_ok : answer_cancel;
    };

    Form1 form = new_game(platform);
    int ended = 0;
    constexpr int events = 1'000'000;
    for (int event = 0; event < events; ++event) {
        try {
            if (chance(0.4)) {
                Clock_Timer(form, platform);
            } else {
                const int code = chance(0.8) ? (chance(0.5) ? key_left : key_right)
                                             : std::uniform_int_distribution<int>(0, 255)(random);
                Form_KeyDown(form, code, std::uniform_int_distribution<int>(0, 7)(random));
            }
        } catch (const ProgramEnded&) {
            ++ended;
            // Cancel ends the program; play on from a fresh start.
            load_window(form, platform);
        }
        const std::vector<std::string> broken = invariant_violations(form);
        ASSERT_TRUE(broken.empty()) << "after event " << event << ":\n"
                                    << describe(broken) << picture(form);
    }
    EXPECT_EQ(platform.dialogs.size(), static_cast<std::size_t>(wins + losses));
    EXPECT_GT(wins, 0) << "random play should win now and then";
    EXPECT_GT(losses, 100);
    EXPECT_GT(ended, 0);
    EXPECT_EQ(platform.reloads + ended + 1, platform.seeds);
}

// The checker itself must see every kind of damage, or the test above could
// pass on a broken board.
TEST(Invariants, TheCheckerSeesEveryKindOfDamage)
{
    ScriptedPlatform platform;
    Form1 form = new_game(platform);
    EXPECT_TRUE(invariant_violations(form).empty());

    const char* const broken_boards[] = {
        // a wall turned white
        "K.....K K.....o K.....K K.....K K.....K .ooooo. .ooooo. .ooooo.",
        // a wall hidden
        "K.....K K.....K K.....K k.....K K.....K .ooooo. .ooooo. .ooooo.",
        // seven hidden bucket-row cells
        "K.....K K.....K K.....K K.....K K.....K .o.ooo. .ooooo. .ooooo.",
        // both probes shown
        "K.....K K.....K K.....K K.....K K.....K ooooo.o ooooo.. ooooo..",
        // two pieces in one shaft row
        "K.....K K.R.G.K K.....K K.....K K.....K .ooooo. .ooooo. .ooooo.",
        // a shown shaft cell that is no piece
        "K.....K K.....K K.o...K K.....K K.....K .ooooo. .ooooo. .ooooo.",
        // a white cell under a filled one
        "K.....K K.....K K.....K K.....K K.....K .ooRoo. .ooooo. .ooGoo.",
        // the same in a hidden column
        "K.....K K.....K K.....K K.....K K.....K gooooo. .ooooo. .ooooo.",
        // a black cell in the bucket
        "K.....K K.....K K.....K K.....K K.....K .ooooo. .ooooo. .ooKoo.",
    };
    for (const char* board : broken_boards) {
        paint(form, board);
        EXPECT_FALSE(invariant_violations(form).empty()) << board;
    }
}

} // namespace
} // namespace blockdrop::testing
