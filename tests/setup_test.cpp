#include "board/form.hpp"
#include "board/setup.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"
#include "tests/support/board_picture.hpp"
#include "tests/support/scripted_platform.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace blockdrop::testing {
namespace {

const char* const fresh_board = R"(
    K.....K
    K.....K
    K.....K
    K.....K
    K.....K
    .ooooo.
    .ooooo.
    .ooooo.
)";

TEST(SetUp, BuildsTheSameBoardEveryTime)
{
    ScriptedPlatform platform;
    const Form1 form = new_game(platform);

    EXPECT_EQ(picture(form), normalised(fresh_board));
    EXPECT_TRUE(form.Clock.Enabled);
    EXPECT_EQ(form.Clock.Interval, 1000);
    EXPECT_EQ(platform.seeds, 1) << "every game seeds the generator once";
}

TEST(SetUp, PlacesEveryCellOnTheGrid)
{
    ScriptedPlatform platform;
    const Form1 form = new_game(platform);

    for (int column = 0; column <= 6; ++column) {
        for (int row = 0; row <= 7; ++row) {
            const Shape& cell = form.Block(column + 7 * row);
            SCOPED_TRACE("column " + std::to_string(column) + ", row " + std::to_string(row));
            EXPECT_EQ(cell.Left, 495 * column);
            EXPECT_EQ(cell.Top, row < 5 ? 495 * row : 495 * row + 50);
            EXPECT_EQ(cell.Width, 495);
            EXPECT_EQ(cell.Height, 495);
        }
    }
    // The board spans 3465 x 4010 twips.
    EXPECT_EQ(form.Block(55).Left + form.Block(55).Width, 3465);
    EXPECT_EQ(form.Block(55).Top + form.Block(55).Height, 4010);
    EXPECT_THROW(form.Block(56), std::out_of_range) << "nothing past the board";
}

TEST(SetUp, LoadShapesShowsEveryCellBeforeTheLevelHidesSome)
{
    Form1 form;
    loadshapes(form);
    EXPECT_EQ(picture(form), normalised(R"(
        KoooooK
        KoooooK
        KoooooK
        KoooooK
        KoooooK
        ooooooo
        ooooooo
        ooooooo)"));
    EXPECT_FALSE(form.Clock.Enabled) << "only loadlevel starts the clock";
    loadlevel(form);
    EXPECT_EQ(picture(form), normalised(fresh_board));
    EXPECT_TRUE(form.Clock.Enabled);
}

TEST(SetUp, AReloadFromInsideATickWipesTheOldGame)
{
    ScriptedPlatform platform;
    Form1 form = new_game(platform);
    // A game about to be lost, with colours left behind in both hidden
    // columns and in the hidden shaft cells.
    paint(form, R"(
        KrgbR.K
        K..G..K
        K.B...K
        K....RK
        K....GK
        gBooBRr
        bRoGRRr
        rRBGBBb)");
    platform.draws = {0.5, 0.5};
    platform.answers = {answer_ok};

    Clock_Timer(form, platform);

    ASSERT_EQ(platform.reloads, 1);
    EXPECT_EQ(platform.seeds, 2) << "the new game reseeds";
    EXPECT_EQ(picture(form), normalised(R"(
        K..G..K
        K.....K
        K.....K
        K.....K
        K.....K
        .ooooo.
        .ooooo.
        .ooooo.)"))
        << "the new game's first piece comes from the tick that reloaded";
    for (const int i : {35, 42, 49, 41, 48, 55})
        EXPECT_EQ(form.Block(i).BackColor, white) << "hidden bucket-row cell " << i;
}

TEST(CellArray, OnlyTheTemplateExistsBeforeTheSetUpAndNothingOffTheBoard)
{
    Form1 form;
    EXPECT_TRUE(form.Block.exists(0));
    EXPECT_EQ(form.Block(0).Width, 495);
    EXPECT_EQ(form.Block(0).Left, 0);
    for (int i = 1; i < 56; ++i)
        EXPECT_FALSE(form.Block.exists(i));
    EXPECT_THROW(form.Block(1), std::out_of_range);
    // Nothing off the board (PlacesEveryCellOnTheGrid: nor after the set-up).
    for (const int off : {-1, 56})
        EXPECT_THROW(form.Block(off), std::out_of_range) << off;
    EXPECT_THROW(form.Block.create(56), std::logic_error);
    EXPECT_FALSE(form.Clock.Enabled);
    EXPECT_EQ(form.Clock.Interval, 1000);
}

TEST(CellArray, NewCellsAreHiddenCopiesOfTheTemplate)
{
    Form1 form;
    form.Block(0).BackColor = red;
    form.Block(0).Width = 300;
    form.Block.create(9);
    EXPECT_FALSE(form.Block(9).Visible);
    EXPECT_EQ(form.Block(9).BackColor, red);
    EXPECT_EQ(form.Block(9).Width, 300);
    EXPECT_THROW(form.Block.create(9), std::logic_error) << "a cell is created once";
    EXPECT_THROW(form.Block.create(0), std::logic_error) << "the template is never created";
}

TEST(CellArray, AWindowIsAPlainValue)
{
    ScriptedPlatform platform;
    Form1 form = new_game(platform);
    const Form1 copy = form;
    Form_KeyDown(form, key_left, 0);
    EXPECT_NE(picture(form), picture(copy));
    EXPECT_EQ(picture(copy), normalised(fresh_board));
}

} // namespace
} // namespace blockdrop::testing
