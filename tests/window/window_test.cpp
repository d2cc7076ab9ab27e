// The real game binary in a real X server, driven by real key presses.
#include "tests/window/screen_board.hpp"
#include "tests/window/x_session.hpp"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sys/wait.h>

namespace blockdrop::window_testing {
namespace {

const char* const fresh_board = "K.....K\n"
                                "K.....K\n"
                                "K.....K\n"
                                "K.....K\n"
                                "K.....K\n"
                                ".ooooo.\n"
                                ".ooooo.\n"
                                ".ooooo.";

int pieces_in_row(const std::string& board, int row)
{
    int pieces = 0;
    for (int column = 1; column <= 5; ++column) {
        const char c = cell_at(board, column, row);
        pieces += c == 'R' || c == 'G' || c == 'B' ? 1 : 0;
    }
    return pieces;
}

// A fresh game's board: the set-up, plus at most `pieces` pieces in row 0.
bool fresh_with_pieces(const std::string& board, int pieces)
{
    if (board.size() != 63 || pieces_in_row(board, 0) > pieces)
        return false;
    std::string without = board;
    for (int column = 1; column <= 5; ++column) {
        char& c = without[static_cast<std::size_t>(column)];
        if (c == 'R' || c == 'G' || c == 'B')
            c = '.';
    }
    return without == fresh_board;
}

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override { launch(); }

    void launch()
    {
        game = std::make_unique<GameProcess>(game_binary(), server.display());
        const auto found = x.wait_for("Form1", 10s);
        ASSERT_TRUE(found) << "the game window did not appear";
        window = *found;
        // Mapped is not yet drawn: wait for the first picture of the board.
        wait_board([](const std::string& b) { return fresh_with_pieces(b, 1); }, 5s);
    }

    std::string board() const
    {
        const auto image = x.capture(window);
        return image ? screen_board(*image) : std::string();
    }

    // Polls the screen until `done` holds of the board; returns the last one.
    std::string wait_board(const std::function<bool(const std::string&)>& done,
                           std::chrono::milliseconds timeout) const
    {
        const auto deadline = Clock::now() + timeout;
        std::string seen = board();
        while (!done(seen) && Clock::now() < deadline) {
            std::this_thread::sleep_for(3ms);
            seen = board();
        }
        EXPECT_TRUE(done(seen)) << "the board never got there; last seen:\n" << seen;
        return seen;
    }

    void expect_bucket(const std::string& position) const
    {
        wait_board([&](const std::string& b) { return bucket_position(b) == position; }, 3s);
    }

    // Waits for the loss dialog, answering any win on the way.
    Window wait_for_loss() const
    {
        const auto deadline = Clock::now() + 240s;
        while (Clock::now() < deadline) {
            if (const auto lost = x.find("You Lost"))
                return *lost;
            if (const auto won = x.find("You Won")) {
                x.focus(*won);
                x.key(XK_Return);
            }
            std::this_thread::sleep_for(10ms);
        }
        ADD_FAILURE() << "no loss within four minutes of play with no input";
        return 0;
    }

    Xvfb server;
    XClient x{server.display()};
    std::unique_ptr<GameProcess> game;
    Window window = 0;
};

TEST_F(GameWindow, DrawsTheSetUpBoardToThePixel)
{
    const auto image = x.capture(window);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 406);
    EXPECT_EQ(image->height, 424);

    const std::string board = screen_board(*image);
    ASSERT_TRUE(fresh_with_pieces(board, 1)) << board;
    // Every pixel of every drawn cell has the cell's colour.
    for (int row = 0; row <= 7; ++row) {
        for (int column = 0; column <= 6; ++column) {
            const CellBox box = cell_box(column, row);
            const Rgb colour = image->at(box.x + 16, box.y + 16);
            for (int y = box.y; y < box.y + box.size; ++y) {
                for (int x = box.x; x < box.x + box.size; ++x)
                    ASSERT_EQ(image->at(x, y), colour) << "cell " << column << "," << row;
            }
        }
    }
    EXPECT_EQ(image->at(0, 0), (Rgb{0, 0, 0})) << "wall at the top-left corner";
    EXPECT_EQ(image->at(33, 168), (Rgb{255, 255, 255})) << "bucket starts 3 px below the shaft";
    // The strip between shaft and bucket rows, and all beyond the board.
    for (int x = 0; x < 406; ++x) {
        for (const int y : {165, 166, 167, 267, 423})
            EXPECT_EQ(image->at(x, y), background) << x << "," << y;
    }
    for (int y = 0; y < 424; ++y)
        EXPECT_EQ(image->at(231, y), background) << y;
}

TEST_F(GameWindow, ArrowsMoveTheBucketAndNoOtherKeyDoes)
{
    x.focus(window);
    // None of these may move the bucket. Had the apostrophe acted as Right
    // arrow (SDL's code for it is 39), the Left that follows would land the
    // bucket in the middle instead of at the left.
    for (const unsigned long key : {XK_apostrophe, XK_Up, XK_Down, XK_a, XK_z, XK_space, XK_Return})
        x.key(key);
    x.key(XK_Left);
    expect_bucket("left");
    x.key(XK_Left);
    x.key(XK_Right);
    expect_bucket("middle");
    x.key(XK_Right);
    expect_bucket("right");
    x.key(XK_Right);
    x.key(XK_Left);
    expect_bucket("middle");

    x.key(XK_Left, {XK_Shift_L});
    expect_bucket("left");
    x.key(XK_Right, {XK_Control_L});
    expect_bucket("middle");
    x.key(XK_Right, {XK_Shift_L, XK_Alt_L});
    expect_bucket("right");
}

TEST_F(GameWindow, APercentKeyIsNotALeftArrow)
{
    // A layout with a key that types '%' unshifted: SDL reports it with
    // its own code 37, the Left arrow's virtual-key code.
    game.reset();
    ASSERT_TRUE(x.wait_until_none("Form1", 5s));
    x.remap(XK_backslash, XK_percent);
    launch();
    x.focus(window);
    x.key(XK_percent);
    x.key(XK_percent);
    x.key(XK_Right);
    expect_bucket("right");
}

TEST_F(GameWindow, APieceAppearsAndFallsOneRowPerTick)
{
    // Pieces only: watch the shaft change tick by tick.
    std::string before = shaft(board());
    ASSERT_EQ(pieces_in_row(before, 1), 0) << "watching starts before the second tick";
    int ticks = 0;
    while (ticks < 5) {
        const std::string now = shaft(wait_board(
            [&](const std::string& b) {
                return shaft(b) != before && b.find('?') == std::string::npos;
            },
            3s));
        if (now == before)
            return;
        ++ticks;
        // Every piece moved down exactly one row, and one new piece is in row 0.
        EXPECT_EQ(pieces_in_row(now, 0), 1) << now;
        for (int row = 0; row < 4; ++row) {
            for (int column = 1; column <= 5; ++column) {
                const char above = cell_at(before, column, row);
                const char below = cell_at(now, column, row + 1);
                EXPECT_EQ(below, above) << "tick " << ticks << "\nbefore:\n"
                                        << before << "\nnow:\n"
                                        << now;
            }
        }
        before = now;
    }
    EXPECT_EQ(ticks, 5);
    for (int row = 0; row <= 4; ++row)
        EXPECT_EQ(pieces_in_row(before, row), 1) << before;
}

TEST_F(GameWindow, ALossOffersANewGameAndCancelEndsTheProgram)
{
    const Window dialog = wait_for_loss();
    ASSERT_NE(dialog, 0U);
    // Keys pressed on the game behind the dialog are dropped, not replayed
    // onto the next game.
    x.focus(window);
    x.key(XK_Left);
    x.key(XK_Left);
    x.focus(dialog);
    x.key(XK_Return);
    wait_board(
        [](const std::string& b) { return fresh_with_pieces(b, 1) && pieces_in_row(b, 0) == 1; },
        900ms);
    EXPECT_TRUE(x.gone(dialog));
    EXPECT_TRUE(game->wait(0ms) == std::nullopt) << "OK plays on";
    expect_bucket("middle");

    const Window second = wait_for_loss();
    ASSERT_NE(second, 0U);
    x.focus(second);
    x.key(XK_Escape);
    const auto status = game->wait(3s);
    ASSERT_TRUE(status) << "Cancel must end the program at once";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_TRUE(x.wait_until_none("You Lost", 3s));
}

TEST_F(GameWindow, ClosingTheLossDialogCountsAsCancel)
{
    const Window dialog = wait_for_loss();
    ASSERT_NE(dialog, 0U);
    x.close(dialog);
    const auto status = game->wait(3s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

TEST_F(GameWindow, SigtermEndsTheGameEvenWithADialogUp)
{
    ASSERT_NE(wait_for_loss(), 0U);
    game->signal(SIGTERM);
    const auto status = game->wait(3s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM);
    // The box lives in a process of its own; it must go with the game.
    EXPECT_TRUE(x.wait_until_none("You Lost", 3s)) << "the dialog outlived the game";
}

TEST_F(GameWindow, ClosingTheWindowEndsTheProgramWithStatusZero)
{
    x.close(window);
    const auto status = game->wait(3s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
}

} // namespace
} // namespace blockdrop::window_testing
