// The Windows game under Wine in a real X server, driven by real key
// presses: under Wine each top-level window of the game is an X window, so
// the X harness finds "Form1" and the message boxes by their titles.
#include "shell/layout.hpp"
#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/wine_session.hpp"
#include "tests/on_screen/x_session.hpp"
#include "tests/support/rehearsal.hpp"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace blockdrop::window_testing {
namespace {

// Each case has an X server of its own. Cases run one at a time: Wine's
// desktop process serves the windows of one display for the whole prefix,
// so a case waits at its end until the one of its display has gone.
class WineWindow : public ::testing::Test {
protected:
    // A 1920x1080 server without RandR: through Xvfb's RandR, Wine takes
    // every screen for 1024x768.
    WineWindow()
        : server(std::make_unique<Xvfb>(
              std::vector<std::string>{"-screen", "0", "1920x1080x24", "-extension", "RANDR"}))
    {
    }

    void SetUp() override { launch(96); }

    void TearDown() override
    {
        game.reset();
        x_client.reset();
        server.reset();
        EXPECT_TRUE(wait_until([&] { return wine_processes(display).empty(); }, 10s))
            << "Wine processes outlived the display";
    }

    // With `draws`, the test build of the game playing them
    // (tests/support/rehearsal.hpp).
    void launch(int dpi, const std::vector<double>& draws = {})
    {
        dpi_ = dpi;
        // Wine's desktop process of another display, or of a program with
        // none, would take this one's windows; it ends soon after its last
        // program has.
        const auto others = [&] {
            return wine_processes({}, "explorer.exe").size() >
                   wine_processes(display, "explorer.exe").size();
        };
        ASSERT_TRUE(wait_until([&] { return !others(); }, 15s))
            << "Wine's desktop still serves another display";
        game = start_windows_game(display, draws);
        const auto found = x.wait_for("Form1", 20s);
        ASSERT_TRUE(found) << "the game window did not appear";
        window = *found;
        const PixelSize natural = client_size(scale_at_dpi(dpi_));
        const auto [width, height] = x.size(window);
        frame_ = PixelSize{width - natural.width, height - natural.height};
        // Mapped is not yet drawn: wait for the first picture of the board.
        ASSERT_TRUE(wait_until([&] { return drawn(); }, 10s))
            << "the board was never drawn at " << dpi << " dpi in a " << x.size(window).first << "x"
            << x.size(window).second << " window";
    }

    // A whole board is on screen.
    bool drawn() const
    {
        const std::string seen = board();
        return !seen.empty() && seen.find('?') == std::string::npos &&
               bucket_position(seen) != "none";
    }

    // Where the client area is now: inside Wine's frame, or the whole
    // window at full screen, which has no frame.
    Area client() const
    {
        const auto size = x.size(window);
        if (size == x.screen_size())
            return Area{0, 0, size.first, size.second};
        return client_area(size, size.first - frame_.width, size.second - frame_.height);
    }

    std::optional<Image> client_image() const
    {
        const Area area = client();
        return x.capture(window, area.left, area.top, area.width, area.height);
    }

    // The board read off the client area, where the game placed it.
    std::string board() const
    {
        const auto image = client_image();
        if (!image)
            return {};
        return board_in(*image, placement_in(*image, dpi_ / 96.0));
    }

    std::string wait_board(const std::function<bool(const std::string&)>& done,
                           std::chrono::milliseconds timeout) const
    {
        return window_testing::wait_board([this] { return board(); }, done, timeout);
    }

    void expect_bucket(const std::string& position) const
    {
        wait_board([&](const std::string& b) { return bucket_position(b) == position; }, 3s);
    }

    // The loss box, once it is up: seconds away for a game rehearsing a
    // loss; 0 if it never came.
    Window wait_for_loss() const
    {
        wait_until([&] { return x.find("You Lost").has_value(); }, 30s);
        return x.find("You Lost").value_or(0);
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
        const Rgb inside = background;
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
        EXPECT_TRUE(wait_until([&] { return windows_game_processes(display).empty(); }, 5s))
            << "the game's process outlived it";
    }

    std::unique_ptr<Xvfb> server;
    const std::string display = server->display();
    std::unique_ptr<XClient> x_client = std::make_unique<XClient>(display);
    const XClient& x = *x_client;
    std::unique_ptr<GameProcess> game;
    Window window = 0;
    int dpi_ = 96;
    // What Wine's frame adds to the client area's size.
    PixelSize frame_;
};

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

// A game that loses within seconds.
class LosingWineWindow : public WineWindow {
protected:
    void SetUp() override { launch(96, draws_for_loss()); }
};

TEST_F(LosingWineWindow, TabAndSpaceStillAnswerTheLossBox)
{
    // Arrows into the box are dropped (a shared scenario); its own keys are
    // not: Tab moves to Cancel, and Space presses it.
    const Window box = wait_for_loss();
    ASSERT_NE(box, 0U);
    x.focus(box);
    x.key(XK_Left);
    x.key(XK_Tab);
    x.key(XK_Right);
    x.key(XK_space);
    EXPECT_TRUE(game->exits_zero(5s)) << "Space on Cancel must end the program";
    expect_no_game_process();
}

TEST_F(LosingWineWindow, ClosingTheLossBoxCountsAsCancel)
{
    const Window box = wait_for_loss();
    ASSERT_NE(box, 0U);
    // The box disables its owner: the game window cannot be closed under it.
    x.close(window);
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(game->wait(0ms)) << "the game window closed under its box";
    EXPECT_FALSE(x.gone(box));
    x.close(box);
    EXPECT_TRUE(game->exits_zero(5s));
    expect_no_game_process();
}

// The shared scenarios (tests/scenarios) on the Windows game. Its boxes are
// the system's, windows of their own.
class WindowsGame : public WineWindow,
                    public Front,
                    public ::testing::WithParamInterface<ScenarioCase> {
protected:
    // A scenario it cannot take is skipped before Wine starts the game.
    void SetUp() override
    {
        if (const auto why = cannot_run(GetParam().scenario, *this))
            GTEST_SKIP() << *why;
        const int dpi = GetParam().dpi;
        const std::vector<double> draws =
            rehearsed_draws(GetParam().scenario).value_or(std::vector<double>{});
        if (dpi != 96) {
            ASSERT_TRUE(dpi_set_ = set_wine_dpi(dpi));
        }
        launch(dpi, draws);
    }

    // Once the game and its desktop are gone, the next case gets 96 dpi.
    void TearDown() override
    {
        WineWindow::TearDown();
        if (dpi_set_) {
            EXPECT_TRUE(set_wine_dpi(96));
        }
    }

    std::optional<std::string> cannot(const Step& step, bool box_up) const override
    {
        if (step.words[0] == "close" && box_up)
            return "the system box disables its owner, so the game window cannot be closed "
                   "under it (WineWindow.ClosingTheLossBoxCountsAsCancel closes the box)";
        return std::nullopt;
    }

    // The player drags the frame's bottom-right corner until the client
    // area is `size`.
    void resize(PixelSize size) override
    {
        const auto [width, height] = x.size(window);
        const int corner = std::max(frame_.width / 4, 1);
        x.drag(window, {width - corner, height - corner},
               {size.width + frame_.width - corner, size.height + frame_.height - corner});
        EXPECT_TRUE(wait_until([&] { return window_size() == size; }, 3s))
            << "the window stays " << window_size().width << "x" << window_size().height;
    }
    void switch_full_screen() override { press("F11", Target::game); }
    void expect_board_fits() const override
    {
        // The window's new size may show before the game's picture for it.
        std::optional<Image> image;
        wait_until(
            [&] {
                return (image = client_image()) && picture_fits(*image, dpi_ / 96.0, box_rect());
            },
            3s);
        ASSERT_TRUE(image);
        expect_fitted_picture(*image, dpi_ / 96.0, box_rect());
    }
    PixelRect board_rect() const override
    {
        std::optional<Image> image;
        const bool fits = wait_until(
            [&] {
                return (image = client_image()) && picture_fits(*image, dpi_ / 96.0, box_rect());
            },
            3s);
        return fits ? placement_in(*image, dpi_ / 96.0).board : PixelRect{};
    }
    // The system's box, a window of its own, where it lies over the client
    // area.
    PixelRect box_rect() const override
    {
        const auto up = shown_box();
        if (!up)
            return {};
        const auto [box_x, box_y] = x.position(*up);
        const auto [window_x, window_y] = x.position(window);
        const Area area = client();
        const auto [width, height] = x.size(*up);
        return PixelRect{box_x - window_x - area.left, box_y - window_y - area.top, width, height};
    }
    void leave() override { ASSERT_TRUE(show_windows_game(display, false)); }
    // Restored with a box up, Wine leaves the keys with the disabled game
    // window, where Windows' task bar hands them to the box: the player
    // clicks the box's caption.
    void come_back() override
    {
        ASSERT_TRUE(show_windows_game(display, true));
        if (const auto up = shown_box())
            x.click(*up, x.size(*up).first / 2, 8);
    }
    PixelSize window_size() const override
    {
        const Area area = client();
        return PixelSize{area.width, area.height};
    }
    bool full_screen() const override { return x.size(window) == x.screen_size(); }

    std::string board() const override { return WineWindow::board(); }

    std::optional<Window> shown_box() const
    {
        if (const auto lost = x.find("You Lost"))
            return lost;
        return x.find("You Won");
    }

    Shown box() const override
    {
        if (x.find("You Lost"))
            return Shown::lost;
        return x.find("You Won") ? Shown::won : Shown::none;
    }

    // A key with no target goes where the player's keyboard is: at the box
    // while one is up.
    void press(const std::string& key, Target target) override
    {
        const auto up = shown_box();
        x.focus(target != Target::game && up ? *up : window);
        window_testing::press(x, key);
    }

    // The system box's buttons, found in its picture: the rows of its
    // lower half where runs of the buttons' white face, as wide as a button,
    // stand side by side, OK first. Their centres, once two looks in a row
    // agree: Wine may be caught painting the box, one button drawn and the
    // other not yet.
    std::vector<std::pair<int, int>> buttons(Window box) const
    {
        const Rgb face{255, 255, 255};
        const auto deadline = Clock::now() + 3s;
        std::vector<std::pair<int, int>> seen;
        while (Clock::now() < deadline) {
            const auto image = x.capture(box);
            std::vector<std::pair<int, int>> runs; // first and last x of each run
            int first_row = -1;
            int last_row = -1;
            for (int y = image ? image->height / 2 : 0; image && y < image->height; ++y) {
                std::vector<std::pair<int, int>> row;
                for (int x_at = 0; x_at < image->width;) {
                    int end = x_at;
                    while (end < image->width && image->at(end, y) == face)
                        ++end;
                    if (end - x_at >= 40)
                        row.emplace_back(x_at, end - 1);
                    x_at = end + 1;
                }
                if (!row.empty() && (runs.empty() || row == runs)) {
                    runs = row;
                    first_row = first_row < 0 ? y : first_row;
                    last_row = y;
                }
            }
            std::vector<std::pair<int, int>> centres;
            centres.reserve(runs.size());
            for (const auto& [left, right] : runs)
                centres.emplace_back((left + right) / 2, (first_row + last_row) / 2);
            if (!centres.empty() && centres == seen)
                return centres;
            seen = centres;
            std::this_thread::sleep_for(100ms);
        }
        return seen;
    }

    void click(const std::string& button, int above) override
    {
        const auto up = shown_box();
        ASSERT_TRUE(up) << "no box to click";
        const auto centres = buttons(*up);
        const std::size_t index = button == "OK" ? 0 : 1;
        ASSERT_LT(index, centres.size()) << "the box has no button " << button;
        x.click(*up, centres[index].first, centres[index].second - above);
    }

    void close_game() override { x.close(window); }

    void expect_set_up_board() const override
    {
        const Area area = client();
        EXPECT_GT(area.top, area.left) << "a caption above the client area";
        EXPECT_EQ(std::make_pair(area.width, area.height),
                  std::make_pair(static_cast<int>(std::lround(6090 * dpi_ / 1440.0)),
                                 static_cast<int>(std::lround(6360 * dpi_ / 1440.0))));
        expect_frame_around_client();
        const auto image = client_image();
        ASSERT_TRUE(image);
        expect_set_up_picture(*image, dpi_ / 96.0);
    }

    void expect_whole_board() const override
    {
        const auto image = client_image();
        ASSERT_TRUE(image);
        const Placement placed = placement_in(*image, dpi_ / 96.0);
        expect_whole_picture(part_of(*image, placed.board), placed.scale);
    }

    bool running() override { return !game->wait(0ms); }

    void expect_exit_zero() override
    {
        EXPECT_TRUE(game->exits_zero(5s)) << "the game must end at once";
        EXPECT_TRUE(x.wait_until_none("Form1", 3s));
        expect_no_game_process();
    }

private:
    bool dpi_set_ = false;
};

TEST_P(WindowsGame, Scenario)
{
    run(GetParam().scenario, *this);
}

INSTANTIATE_TEST_SUITE_P(Shared, WindowsGame, ::testing::ValuesIn(scenario_cases()),
                         [](const auto& info) { return case_name(info.param); });

} // namespace
} // namespace blockdrop::window_testing
