#include "board/form.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"
#include "tests/support/board_picture.hpp"
#include "tests/support/draws.hpp"
#include "tests/support/scripted_platform.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace blockdrop::testing {
namespace {

// A board with an empty shaft over these three bucket rows: the pictures
// here are of the bucket alone.
std::string bucket_board(std::string_view rows)
{
    return normalised("K.....K K.....K K.....K K.....K K.....K" + std::string(rows));
}

// Every bucket column holds a different stack, so a shift that overwrote a
// column before copying it would smear one stack across several columns.
const char* const middle = R"(
    .ooooG.
    .oGoBR.
    .RBGRB.)";

class BucketShift : public ::testing::Test {
protected:
    BucketShift() { paint(form, bucket_board(middle)); }

    void press(int key, int modifiers = 0) { Form_KeyDown(form, key, modifiers); }

    ScriptedPlatform platform;
    Form1 form = new_game(platform);
};

TEST_F(BucketShift, LeftFromTheMiddleCopiesLeftToRightAndHidesColumnFive)
{
    press(key_left);
    EXPECT_EQ(picture(form), bucket_board(R"(
        ooooGg.
        oGoBRr.
        RBGRBb.)"));
}

TEST_F(BucketShift, RightFromTheMiddleCopiesRightToLeftAndHidesColumnOne)
{
    press(key_right);
    EXPECT_EQ(picture(form), bucket_board(R"(
        ..ooooG
        ..oGoBR
        .rRBGRB)"));
}

TEST_F(BucketShift, EachEndIsAStop)
{
    press(key_left);
    const std::string at_left = picture(form);
    press(key_left);
    EXPECT_EQ(picture(form), at_left);

    press(key_right);
    press(key_right);
    const std::string at_right = picture(form);
    press(key_right);
    EXPECT_EQ(picture(form), at_right);
    EXPECT_TRUE(form.Block(41).Visible);
    EXPECT_FALSE(form.Block(35).Visible);
}

TEST_F(BucketShift, ThereAndBackKeepsTheFifteenColoursInPlace)
{
    press(key_left);
    press(key_right);
    EXPECT_EQ(picture(form), bucket_board(R"(
        .ooooG.
        .oGoBR.
        rRBGRB.)"))
        << "only the hidden column 0 remembers where the bucket was";

    paint(form, bucket_board(middle));
    press(key_right);
    press(key_left);
    EXPECT_EQ(picture(form), bucket_board(R"(
        .ooooGg
        .oGoBRr
        .RBGRBb)"));
}

TEST_F(BucketShift, CrossesAllThreePositionsFromEitherEnd)
{
    press(key_right);
    press(key_left);
    press(key_left);
    EXPECT_TRUE(form.Block(35).Visible);
    EXPECT_EQ(form.Block(49).BackColor, red) << "column 1's stack now stands in column 0";
    EXPECT_EQ(form.Block(53).BackColor, blue);
    press(key_right);
    press(key_right);
    EXPECT_TRUE(form.Block(41).Visible);
    EXPECT_EQ(form.Block(55).BackColor, blue) << "column 5's stack now stands in column 6";
    EXPECT_EQ(form.Block(51).BackColor, red);
}

TEST_F(BucketShift, ALoneRedCellMovesLeftAndTheLeftColumnStaysWhite)
{
    paint(form, bucket_board(R"(
        .ooooo.
        .ooooo.
        .ooRoo.)"));
    press(key_left);
    EXPECT_EQ(picture(form), bucket_board(R"(
        ooooo..
        ooooo..
        ooRoo..)"));

    // A piece that now reaches column 5 falls into its hidden cells.
    form.Block(33).Visible = true;
    form.Block(33).BackColor = green;
    platform.draws = {column_draw(1), colour_draw(0)};
    Clock_Timer(form, platform);
    EXPECT_EQ(form.Block(54).BackColor, green);
    EXPECT_FALSE(form.Block(54).Visible);
}

TEST_F(BucketShift, APieceAtTheBottomLandsInWhateverTheColumnHoldsNextTick)
{
    // Column 5 holds a full stack; the piece over it would lose. Shifting
    // right brings column 4's empty stack under it in time.
    paint(form, R"(
        K.....K
        K.....K
        K.....K
        K.....K
        K....RK
        .ooooG.
        .ooooG.
        .ooooB.)");
    press(key_right);
    platform.draws = {column_draw(1), colour_draw(0)};
    Clock_Timer(form, platform);
    EXPECT_TRUE(platform.dialogs.empty());
    EXPECT_EQ(form.Block(54).BackColor, red);
    EXPECT_TRUE(form.Block(54).Visible);
}

TEST_F(BucketShift, EveryOtherKeyDoesNothingFromEveryPosition)
{
    for (const int first_move : {0, key_left, key_right}) {
        paint(form, bucket_board(middle));
        press(first_move);
        const std::string before = picture(form);
        for (int code = -1; code <= 1024; ++code) {
            if (code == key_left || code == key_right)
                continue;
            press(code, code % 8);
        }
        EXPECT_EQ(picture(form), before) << "bucket moved by " << first_move;
    }
}

TEST_F(BucketShift, ModifiersDoNotStopTheArrows)
{
    for (int modifiers = 0; modifiers < 8; ++modifiers) {
        paint(form, bucket_board(middle));
        press(key_left, modifiers);
        EXPECT_TRUE(form.Block(35).Visible) << modifiers;
        press(key_right, modifiers);
        press(key_right, modifiers);
        EXPECT_TRUE(form.Block(41).Visible) << modifiers;
    }
}

} // namespace
} // namespace blockdrop::testing
