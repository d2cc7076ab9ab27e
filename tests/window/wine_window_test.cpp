// The Windows game under Wine in a real X server, driven by real key
// presses: under Wine each top-level window of the game is an X window, so
// the X harness finds "Form1" and the message boxes by their titles.
#include "board/form.hpp"
#include "board/setup.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"
#include "tests/window/screen_board.hpp"
#include "tests/window/wine_session.hpp"
#include "tests/window/x_session.hpp"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sys/wait.h>
#include <thread>

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

bool is_piece(char c)
{
    return c == 'R' || c == 'G' || c == 'B';
}

int pieces_in_row(const std::string& board, int row)
{
    int pieces = 0;
    for (int column = 1; column <= 5; ++column)
        pieces += is_piece(cell_at(board, column, row)) ? 1 : 0;
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
        if (is_piece(c))
            c = '.';
    }
    return without == fresh_board;
}

bool exited_with_zero(const std::optional<int>& status)
{
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::size_t pixel_index(int x, int y, int width)
{
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

Rgb rgb_of(Colour colour)
{
    return Rgb{colour.red, colour.green, colour.blue};
}

// Each case has an X server of its own. Cases run one at a time: Wine's
// desktop process serves the windows of one display for the whole prefix,
// so a case waits at its end until the one of its display has gone.
class WineWindow : public ::testing::Test {
protected:
    void SetUp() override { launch(96); }

    void TearDown() override
    {
        game.reset();
        x_client.reset();
        server.reset();
        const auto deadline = Clock::now() + 10s;
        while (!wine_processes(display).empty() && Clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(wine_processes(display).empty()) << "Wine processes outlived the display";
    }

    void launch(int dpi)
    {
        dpi_ = dpi;
        // Wine's desktop process of another display, or of a program with
        // none, would take this one's windows; it ends soon after its last
        // program has.
        const auto others = [&] {
            return wine_processes({}, "explorer.exe").size() >
                   wine_processes(display, "explorer.exe").size();
        };
        const auto quiet = Clock::now() + 15s;
        while (others() && Clock::now() < quiet)
            std::this_thread::sleep_for(20ms);
        ASSERT_FALSE(others()) << "Wine's desktop still serves another display";
        game = start_windows_game(display);
        const auto found = x.wait_for("Form1", 20s);
        ASSERT_TRUE(found) << "the game window did not appear";
        window = *found;
        // Mapped is not yet drawn: wait for the first picture of the board.
        const auto deadline = Clock::now() + 10s;
        while (!drawn() && Clock::now() < deadline)
            std::this_thread::sleep_for(3ms);
        ASSERT_TRUE(drawn()) << "the board was never drawn";
    }

    // The top-left wall cell and a bucket cell are on screen.
    bool drawn() const
    {
        Form1 form;
        loadshapes(form);
        const double scale = dpi_ / 96.0;
        const auto image = client_image();
        const auto centre = [&](int cell) {
            const PixelRect at = pixel_rect(form.Block(cell), scale);
            return image->at(at.x + at.width / 2, at.y + at.height / 2);
        };
        return image && centre(0) == rgb_of(black) && centre(36) == rgb_of(white);
    }

    Area client() const
    {
        const PixelSize size = client_size(scale_at_dpi(dpi_));
        return client_area(x.size(window), size.width, size.height);
    }

    std::optional<Image> client_image() const
    {
        const Area area = client();
        return x.capture(window, area.left, area.top, area.width, area.height);
    }

    // The board read off the client area; at 96 dpi only, where the shared
    // reader's 33-pixel cells apply.
    std::string board() const
    {
        const auto image = client_image();
        return image && dpi_ == 96 ? screen_board(*image) : std::string();
    }

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

    // Waits for the loss box, answering any win on the way.
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

    // Every pixel of the client area as the set-up board at the window's
    // DPI paints it, with whatever piece the first tick may already have
    // put in row 0.
    void expect_set_up_board_to_the_pixel() const
    {
        const auto image = client_image();
        ASSERT_TRUE(image);
        const double scale = dpi_ / 96.0;
        Form1 form;
        loadshapes(form);
        loadlevel(form);
        for (int column = 1; column <= 5; ++column) {
            Shape& cell = form.Block(column);
            const PixelRect at = pixel_rect(cell, scale);
            const Rgb seen = image->at(at.x + at.width / 2, at.y + at.height / 2);
            for (const Colour piece : {red, green, blue}) {
                if (seen == rgb_of(piece)) {
                    cell.Visible = true;
                    cell.BackColor = piece;
                }
            }
        }
        std::vector<Rgb> expected(image->pixels.size(), rgb_of(window_background));
        for (int i = 0; i < ShapeArray::size; ++i) {
            if (!form.Block(i).Visible)
                continue;
            const PixelRect at = pixel_rect(form.Block(i), scale);
            for (int y = at.y; y < at.y + at.height; ++y) {
                for (int x = at.x; x < at.x + at.width; ++x)
                    expected[pixel_index(x, y, image->width)] = rgb_of(form.Block(i).BackColor);
            }
        }
        int wrong = 0;
        for (int y = 0; y < image->height; ++y) {
            for (int x = 0; x < image->width; ++x) {
                const auto at = pixel_index(x, y, image->width);
                if (!(image->pixels[at] == expected[at]) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << image->pixels[at].red
                                  << "," << image->pixels[at].green << ","
                                  << image->pixels[at].blue;
            }
        }
        EXPECT_EQ(wrong, 0) << "pixels off the set-up board at " << dpi_ << " dpi";
    }

    // The client area ends where Wine's frame begins: the frame's pixels
    // just outside it on every side are not the window's background.
    void expect_frame_around_client() const
    {
        const auto whole = x.capture(window);
        ASSERT_TRUE(whole);
        const Area area = client();
        ASSERT_TRUE(area.left > 0 && area.top > 0 && area.left + area.width < whole->width &&
                    area.top + area.height < whole->height)
            << "a " << whole->width << "x" << whole->height << " window has no frame around a "
            << area.width << "x" << area.height << " client area";
        const Rgb inside = rgb_of(window_background);
        const int mid_x = area.left + area.width / 2;
        const int mid_y = area.top + area.height / 2;
        EXPECT_EQ(whole->at(area.left + area.width - 1, mid_y), inside);
        EXPECT_EQ(whole->at(mid_x, area.top + area.height - 1), inside);
        EXPECT_NE(whole->at(area.left + area.width, mid_y), inside) << "client wider than drawn";
        EXPECT_NE(whole->at(mid_x, area.top + area.height), inside) << "client taller than drawn";
        EXPECT_NE(whole->at(area.left - 1, mid_y), inside);
        EXPECT_NE(whole->at(mid_x, area.top - 1), inside);
    }

    // Nothing left of the game on this display, once it has ended.
    void expect_no_game_process() const
    {
        const auto deadline = Clock::now() + 5s;
        while (!windows_game_processes(display).empty() && Clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(windows_game_processes(display).empty()) << "the game's process outlived it";
    }

    std::unique_ptr<Xvfb> server = std::make_unique<Xvfb>();
    const std::string display = server->display();
    std::unique_ptr<XClient> x_client = std::make_unique<XClient>(display);
    const XClient& x = *x_client;
    std::unique_ptr<GameProcess> game;
    Window window = 0;
    int dpi_ = 96;
};

TEST_F(WineWindow, DrawsTheSetUpBoardToThePixel)
{
    EXPECT_TRUE(fresh_with_pieces(board(), 1)) << board();
    const Area area = client();
    EXPECT_GT(area.top, area.left) << "a caption above the client area";
    expect_frame_around_client();
    expect_set_up_board_to_the_pixel();
}

TEST_F(WineWindow, ArrowsMoveTheBucketWithAnyModifiersAndNoOtherKeyDoes)
{
    x.focus(window);
    // None of these may move the bucket. The apostrophe and the percent sign
    // have codes 39 and 37 in some toolkits; Windows gives them their own.
    for (const unsigned long key : {XK_apostrophe, XK_percent, XK_Up, XK_Down, XK_a, XK_z, XK_space,
                                    XK_Return, XK_Escape, XK_Home, XK_F1})
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
    // Alt turns the arrow into WM_SYSKEYDOWN, which moves the bucket too.
    x.key(XK_Right, {XK_Alt_L});
    expect_bucket("right");
    x.key(XK_Left, {XK_Shift_L, XK_Alt_L});
    expect_bucket("middle");
}

TEST_F(WineWindow, AltOrF10OnItsOwnLeavesTheArrowsToTheBucket)
{
    x.focus(window);
    // Either would put a window into menu mode, where the arrows walk the
    // system menu instead.
    x.key(XK_Alt_L);
    x.key(XK_Left);
    expect_bucket("left");
    x.key(XK_F10);
    x.key(XK_Right);
    expect_bucket("middle");
}

TEST_F(WineWindow, APieceAppearsAndFallsOneRowPerTick)
{
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
        EXPECT_EQ(pieces_in_row(now, 0), 1) << now;
        for (int row = 0; row < 4; ++row) {
            for (int column = 1; column <= 5; ++column)
                EXPECT_EQ(cell_at(now, column, row + 1), cell_at(before, column, row))
                    << "tick " << ticks << "\nbefore:\n"
                    << before << "\nnow:\n"
                    << now;
        }
        before = now;
    }
    for (int row = 0; row <= 4; ++row)
        EXPECT_EQ(pieces_in_row(before, row), 1) << before;
}

TEST_F(WineWindow, ALossAnsweredOKStartsAFreshGameAndCancelEndsTheProgram)
{
    const Window box = wait_for_loss();
    ASSERT_NE(box, 0U);
    // The board the tick left stays drawn behind the box.
    EXPECT_NE(board().find_first_of("RGB"), std::string::npos) << board();
    // Arrows typed at the game window while the box is up are dropped, not
    // played onto the next game.
    x.focus(window);
    x.key(XK_Left);
    x.key(XK_Left);
    x.focus(box);
    x.key(XK_Return);
    wait_board(
        [](const std::string& b) { return fresh_with_pieces(b, 1) && pieces_in_row(b, 0) == 1; },
        900ms);
    EXPECT_TRUE(x.wait_until_none("You Lost", 2s));
    EXPECT_FALSE(game->wait(0ms)) << "OK plays on";
    expect_bucket("middle");

    const Window second = wait_for_loss();
    ASSERT_NE(second, 0U);
    x.focus(second);
    x.key(XK_Escape);
    const auto status = game->wait(5s);
    ASSERT_TRUE(status) << "Cancel must end the program at once";
    EXPECT_TRUE(exited_with_zero(status));
    EXPECT_TRUE(x.wait_until_none("Form1", 3s));
    expect_no_game_process();
}

TEST_F(WineWindow, ArrowsTypedIntoTheLossBoxLeaveReturnOkAndTabSpaceCancel)
{
    const Window box = wait_for_loss();
    ASSERT_NE(box, 0U);
    // The player still pressing arrows when the loss comes: the system's box
    // would move its focus to Cancel on them.
    x.focus(box);
    for (const unsigned long key : {XK_Right, XK_Left, XK_Right, XK_Right, XK_Down, XK_a})
        x.key(key);
    x.key(XK_Return);
    wait_board(
        [](const std::string& b) { return fresh_with_pieces(b, 1) && pieces_in_row(b, 0) == 1; },
        900ms);
    EXPECT_TRUE(x.wait_until_none("You Lost", 2s));
    ASSERT_FALSE(game->wait(0ms)) << "Return after arrows must answer OK";

    // Tab still moves to Cancel, and Space presses it.
    const Window second = wait_for_loss();
    ASSERT_NE(second, 0U);
    x.focus(second);
    x.key(XK_Left);
    x.key(XK_Tab);
    x.key(XK_Right);
    x.key(XK_space);
    const auto status = game->wait(5s);
    ASSERT_TRUE(status) << "Space on Cancel must end the program";
    EXPECT_TRUE(exited_with_zero(status));
    expect_no_game_process();
}

TEST_F(WineWindow, ClosingTheLossBoxCountsAsCancel)
{
    const Window box = wait_for_loss();
    ASSERT_NE(box, 0U);
    // The box disables its owner: the game window cannot be closed under it.
    x.close(window);
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(game->wait(0ms)) << "the game window closed under its box";
    EXPECT_FALSE(x.gone(box));
    x.close(box);
    const auto status = game->wait(5s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(exited_with_zero(status));
    expect_no_game_process();
}

TEST_F(WineWindow, ClosingTheWindowEndsTheProgramWithStatusZero)
{
    x.close(window);
    const auto status = game->wait(5s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(exited_with_zero(status));
    expect_no_game_process();
}

// Changes the prefix's DPI for every program started meanwhile; the cases
// run one at a time.
TEST_F(WineWindow, DrawsTheBoardAt144Dpi)
{
    x.close(window);
    ASSERT_TRUE(game->wait(5s));
    ASSERT_TRUE(set_wine_dpi(144));
    launch(144);
    const bool reset = set_wine_dpi(96);
    EXPECT_EQ(client_size(scale_at_dpi(144)), (PixelSize{609, 636}));
    expect_frame_around_client();
    expect_set_up_board_to_the_pixel();
    EXPECT_TRUE(reset);
}

} // namespace
} // namespace blockdrop::window_testing
