#include "board/form.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"
#include "tests/support/board_picture.hpp"
#include "tests/support/draws.hpp"
#include "tests/support/scripted_platform.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace blockdrop::testing {
namespace {

const Dialog loss_dialog{"You lost. Try again?", Buttons::ok_cancel, "You Lost"};
const Dialog win_dialog{"You win! Great!", Buttons::ok, "You Won"};

class ClockTick : public ::testing::Test {
protected:
    // One tick that spawns its new piece in column n with colour number k.
    void tick(int n = 1, int k = 0)
    {
        platform.draws = {column_draw(n), colour_draw(k)};
        Clock_Timer(form, platform);
        EXPECT_TRUE(platform.draws.empty()) << "a tick draws exactly twice";
    }

    ScriptedPlatform platform;
    Form1 form = new_game(platform);
};

// Spawning

TEST_F(ClockTick, SpawnsInTheDrawnColumnAndColour)
{
    const Colour colours[] = {red, green, blue};
    for (int n = 1; n <= 5; ++n) {
        for (int k = 0; k <= 2; ++k) {
            form = new_game(platform);
            tick(n, k);
            for (int column = 1; column <= 5; ++column)
                EXPECT_EQ(form.Block(column).Visible, column == n) << "n " << n << " k " << k;
            EXPECT_EQ(form.Block(n).BackColor, colours[k]);
        }
    }
}

// Each draw splits into equal slices, exact at their boundaries; a draw
// outside [0, 1) (a broken generator) still lands between the walls.
TEST_F(ClockTick, DrawsSplitIntoEqualSlicesAndNeverReachAWall)
{
    const double below_one = std::nextafter(1.0, 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double column_draw, colour_draw;
        int column;
        Colour colour;
    } const cases[] = {
        {0.0, 0.0, 1, red},
        {std::nextafter(0.2, 0.0), std::nextafter(1.0 / 3, 0.0), 1, red},
        {0.2, 1.0 / 3, 2, green},
        {0.8, 2.0 / 3, 5, blue},
        {below_one, below_one, 5, blue},
        {1.0, 1.0, 5, blue},
        {7.5, 7.5, 5, blue},
        {inf, inf, 5, blue},
        {-0.25, -0.25, 1, red},
        {-inf, -inf, 1, red},
        {nan, nan, 1, red},
    };
    for (const Case& c : cases) {
        form = new_game(platform);
        platform.draws = {c.column_draw, c.colour_draw};
        Clock_Timer(form, platform);
        EXPECT_TRUE(form.Block(c.column).Visible) << c.column_draw;
        EXPECT_EQ(form.Block(c.column).BackColor, c.colour) << c.colour_draw;
        EXPECT_EQ(form.Block(0).BackColor, black);
        EXPECT_EQ(form.Block(6).BackColor, black);
    }
}

// Falling and landing

TEST_F(ClockTick, APieceFallsOneRowPerTickAndLandsOnTheFifth)
{
    tick(3, 1);
    for (int row = 1; row <= 4; ++row) {
        // Later pieces go to column 1, out of the way.
        tick(1, 0);
        EXPECT_TRUE(form.Block(3 + 7 * row).Visible) << "row " << row;
        EXPECT_FALSE(form.Block(3 + 7 * (row - 1)).Visible) << "row " << row;
        EXPECT_EQ(form.Block(3 + 7 * row).BackColor, green);
    }
    tick(1, 0);
    EXPECT_FALSE(form.Block(31).Visible);
    EXPECT_EQ(form.Block(52).BackColor, green) << "it sinks to the bottom in the same tick";
    EXPECT_EQ(form.Block(45).BackColor, white);
    EXPECT_EQ(form.Block(38).BackColor, white);
}

TEST_F(ClockTick, ALandingPieceSinksToTheBottomOfAnEmptyColumn)
{
    paint(form, R"(
        K.....K
        K.....K
        K.....K
        K..B..K
        K..R..K
        .ooooo.
        .ooooo.
        .ooooo.)");
    tick(5, 2);
    EXPECT_EQ(picture(form), normalised(R"(
        K....BK
        K.....K
        K.....K
        K..b..K
        K..B..K
        .ooooo.
        .ooooo.
        .ooRoo.)"));
}

TEST_F(ClockTick, AColumnFillsFromTheBottomAndAFullColumnLoses)
{
    paint(form, R"(
        K.....K
        K.....K
        K.....K
        K.....K
        K..R..K
        .ooooo.
        .ooGoo.
        .ooBoo.)");
    tick(1, 0);
    EXPECT_EQ(form.Block(38).BackColor, red) << "it stops on the highest filled cell";
    EXPECT_FALSE(form.Block(31).Visible);
    EXPECT_TRUE(platform.dialogs.empty());

    form.Block(31).Visible = true;
    form.Block(31).BackColor = green;
    platform.answers = {answer_ok};
    tick(2, 1);
    ASSERT_EQ(platform.dialogs.size(), 1U);
    EXPECT_EQ(platform.dialogs[0], loss_dialog);
}

TEST_F(ClockTick, APieceReachingTheBottomLandsOnTheNextTickNotThisOne)
{
    paint(form, R"(
        K.....K
        K.....K
        K.....K
        K.G...K
        K.....K
        .ooooo.
        .ooooo.
        .ooooo.)");
    tick(5, 0);
    EXPECT_TRUE(form.Block(30).Visible);
    EXPECT_EQ(form.Block(51).BackColor, white);
    tick(5, 0);
    EXPECT_FALSE(form.Block(30).Visible);
    EXPECT_EQ(form.Block(51).BackColor, green);
}

TEST_F(ClockTick, EveryShaftRowHoldsOnePieceOnceTheShaftIsFull)
{
    for (int t = 0; t < 5; ++t)
        tick(1 + t % 5, t % 3);
    for (int row = 0; row <= 4; ++row) {
        int pieces = 0;
        for (int column = 1; column <= 5; ++column)
            pieces += form.Block(column + 7 * row).Visible ? 1 : 0;
        EXPECT_EQ(pieces, 1) << "row " << row;
    }
    tick(1, 0);
    EXPECT_EQ(form.Block(50).BackColor, red) << "the first piece has landed";
}

// Pieces over the columns the bucket does not cover

TEST_F(ClockTick, APieceOverAnUncoveredColumnFallsIntoItsHiddenCells)
{
    Form_KeyDown(form, key_left, 0);
    form.Block(33).Visible = true;
    form.Block(33).BackColor = blue;
    tick(1, 0);
    EXPECT_EQ(picture(form), normalised(R"(
        KR....K
        K.....K
        K.....K
        K.....K
        K....bK
        ooooo..
        ooooo..
        ooooob.)"))
        << "the piece vanishes from view into hidden cell 54";
}

TEST_F(ClockTick, LeftBehindColoursDecideALandingInAHiddenColumn)
{
    // Column 5 holds two pieces when the bucket moves to the left; its hidden
    // cells keep them, so the next piece over column 5 stops in row 5.
    paint(form, R"(
        K.....K
        K.....K
        K.....K
        K.....K
        K.....K
        .ooooo.
        .ooooG.
        .ooooR.)");
    Form_KeyDown(form, key_left, 0);
    form.Block(33).Visible = true;
    form.Block(33).BackColor = red;
    tick(1, 0);
    EXPECT_EQ(form.Block(40).BackColor, red);
    EXPECT_FALSE(form.Block(40).Visible);
    EXPECT_TRUE(platform.dialogs.empty());

    // Now the hidden column is full: the next piece over it loses.
    form.Block(33).Visible = true;
    platform.answers = {answer_ok};
    tick(1, 0);
    ASSERT_EQ(platform.dialogs.size(), 1U);
    EXPECT_EQ(platform.dialogs[0], loss_dialog);
}

TEST_F(ClockTick, APieceOverColumnOneWithTheBucketAtTheRightFallsOutOfView)
{
    Form_KeyDown(form, key_right, 0);
    form.Block(29).Visible = true;
    form.Block(29).BackColor = green;
    tick(5, 0);
    EXPECT_EQ(form.Block(50).BackColor, green);
    EXPECT_FALSE(form.Block(50).Visible);
    EXPECT_FALSE(form.Block(29).Visible);
}

// The loss

const char* const losing_board = R"(
    K....RK
    KG....K
    K...B.K
    K.B...K
    K..B..K
    .ooGoo.
    .ooGoo.
    .ooRoo.)";

TEST_F(ClockTick, OkAfterALossStartsANewGameAndTheTickSpawnsItsFirstPiece)
{
    paint(form, losing_board);
    platform.answers = {answer_ok};
    tick(4, 2);

    ASSERT_EQ(platform.dialogs.size(), 1U);
    EXPECT_EQ(platform.dialogs[0], loss_dialog);
    EXPECT_EQ(platform.reloads, 1);
    // The rest of the tick ran on the new board: the pieces of columns 4 and
    // 5 went with the old one, and the new game has its first piece.
    EXPECT_EQ(picture(form), normalised(R"(
        K...B.K
        K.....K
        K.....K
        K.....K
        K.....K
        .ooooo.
        .ooooo.
        .ooooo.)"));
}

// Cancel, or an answer that is neither OK nor Cancel.
TEST_F(ClockTick, CancelAfterALossEndsTheProgramBeforeAnythingElseMoves)
{
    for (const int answer : {answer_cancel, 0}) {
        platform = ScriptedPlatform();
        paint(form, losing_board);
        platform.answers = {answer};
        EXPECT_THROW(tick(4, 2), ProgramEnded);

        EXPECT_EQ(platform.ends, 1);
        EXPECT_EQ(platform.reloads, 0);
        EXPECT_EQ(platform.draws.size(), 2U) << "no piece was spawned";
        // Columns 1 and 2 have fallen; column 3 lost, and nothing after it
        // moved: its piece is still in row 4, columns 4 and 5 and the spawn
        // row are untouched.
        EXPECT_EQ(picture(form), normalised(R"(
            K....RK
            Kg....K
            KG..B.K
            K.b...K
            K.BB..K
            .ooGoo.
            .ooGoo.
            .ooRoo.)"));
    }
}

// The win

const char* const full_bucket = R"(
    K.....K
    K.....K
    K..G..K
    K.....K
    K....BK
    .RGBRG.
    .GBRGB.
    .BRGBR.)";

// The win box's answer is not used: winning always leads to a new game.
TEST_F(ClockTick, AFullBucketWinsAtTheStartOfTheTickAndTheNewGameGetsItsFirstPiece)
{
    for (const int answer : {answer_ok, answer_cancel}) {
        platform = ScriptedPlatform();
        paint(form, full_bucket);
        platform.answers = {answer};
        tick(2, 1);

        ASSERT_EQ(platform.dialogs.size(), 1U);
        EXPECT_EQ(platform.dialogs[0], win_dialog);
        EXPECT_EQ(platform.reloads, 1);
        EXPECT_EQ(platform.ends, 0);
        EXPECT_EQ(picture(form), normalised(R"(
            K.G...K
            K.....K
            K.....K
            K.....K
            K.....K
            .ooooo.
            .ooooo.
            .ooooo.)"))
            << "the old pieces went with the old board";
    }
}

TEST_F(ClockTick, TheWinIsSeenOnTheTickAfterTheLastCellFills)
{
    paint(form, R"(
        K.....K
        K.....K
        K.....K
        K.....K
        K....BK
        .RGBRo.
        .GBRGB.
        .BRGBR.)");
    tick(1, 0);
    EXPECT_EQ(form.Block(40).BackColor, blue);
    EXPECT_TRUE(platform.dialogs.empty()) << "the test comes before the landing";

    platform.answers = {answer_ok};
    tick(1, 0);
    ASSERT_EQ(platform.dialogs.size(), 1U);
    EXPECT_EQ(platform.dialogs[0], win_dialog);
}

TEST_F(ClockTick, HiddenCellsDoNotCountTowardsAWinByTheirColour)
{
    // Left-behind colours in the hidden columns count as hidden, once each;
    // one white bucket cell is enough to hold the win off.
    paint(form, R"(
        K.....K
        K.....K
        K.....K
        K.....K
        K.....K
        rRGBRor
        gGBRGBg
        bBRGBRb)");
    tick(1, 0);
    EXPECT_TRUE(platform.dialogs.empty());
}

} // namespace
} // namespace blockdrop::testing
