// The real game binary in a real X server, driven by real key presses.
#include "shell/desktop/display_server.hpp"
#include "shell/icon.hpp"
#include "tests/on_screen/desktop_game.hpp"
#include "tests/on_screen/figures.hpp"
#include "tests/support/rehearsal.hpp"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace blockdrop::window_testing {
namespace {

// Whether a scenario changes the window's size: it then runs on a screen
// of 1920x1080 with a window manager, which takes full screen.
bool resizes(const Scenario& scenario)
{
    return std::any_of(scenario.steps.begin(), scenario.steps.end(), [](const Step& step) {
        const std::string text = step.text();
        return step.words[0] == "resize" || text.find("full screen") != std::string::npos ||
               text.find("F11") != std::string::npos || text.find("Alt+Return") != std::string::npos;
    });
}

// The shared scenarios (tests/scenarios) on the SDL window. The game draws
// its boxes inside its own window, so a key "at the box" and one "at the
// game" both go to the game window, and no box can be closed on its own.
class SdlWindow : public DesktopGame,
                  public SdlPictureFront,
                  public ::testing::WithParamInterface<ScenarioCase> {
protected:
    // A screen that holds the largest window whole: a window partly off the
    // screen cannot be read back.
    SdlWindow()
        : DesktopGame(resizes(GetParam().scenario) ? std::vector<std::string>{"-screen", "0",
                                                                                "1920x1080x24"}
                      : GetParam().dpi == 96
                          ? std::vector<std::string>{}
                          : std::vector<std::string>{"-screen", "0", "1600x1200x24"},
                      GetParam().dpi, rehearsed_draws(GetParam().scenario))
    {
    }

    void SetUp() override
    {
        // evilwm: a small window manager that takes full screen as any does.
        if (resizes(GetParam().scenario))
            manager = std::make_unique<GameProcess>(
                std::vector<std::string>{"evilwm", "-fn", "fixed", "-bw", "0"}, server.display(),
                std::vector<EnvChange>{});
        DesktopGame::SetUp();
    }

    std::optional<std::string> cannot(const Step& /*step*/, bool /*box_up*/) const override
    {
        return std::nullopt;
    }

    // X reads no window that is partly off the screen, where a window manager
    // may bring it back from full screen: it is moved to the corner first.
    std::optional<Image> window_picture() const override
    {
        if (auto image = x.capture(window))
            return image;
        const auto [width, height] = x.size(window);
        x.resize_at_corner(window, width, height);
        std::this_thread::sleep_for(100ms);
        return x.capture(window);
    }
    double natural_scale() const override { return scale(); }
    std::string board() const override { return SdlPictureFront::board(); }

    void press(const std::string& key, Target /*target*/) override
    {
        x.focus(window);
        window_testing::press(x, key);
    }

    void click(const std::string& button, int above) override
    {
        const auto [centre_x, centre_y] = button_centre(button);
        x.click(window, centre_x, centre_y - above);
    }

    void close_game() override { x.close(window); }

    bool running() override { return !game->wait(0ms); }

    void expect_exit_zero() override
    {
        EXPECT_TRUE(game->exits_zero(3s)) << "the answer must end the program at once";
        EXPECT_TRUE(x.wait_until_none("Form1", 3s)) << "the window outlived the game";
    }

    void resize(PixelSize size) override
    {
        x.resize_at_corner(window, size.width, size.height);
        EXPECT_TRUE(wait_until([&] { return window_size() == size; }, 3s))
            << "the window stays " << window_size().width << "x" << window_size().height;
    }

    // Minimised as a window manager does it, by unmapping it; mapped again
    // as a task bar would.
    void leave() override { x.unmap(window); }
    void come_back() override { x.map(window); }

    void switch_full_screen() override { press("F11", Target::game); }
    PixelSize window_size() const override
    {
        const auto [width, height] = x.size(window);
        return PixelSize{width, height};
    }
    bool full_screen() const override { return x.size(window) == x.screen_size(); }

    std::unique_ptr<GameProcess> manager;
};

TEST_P(SdlWindow, Scenario)
{
    if (const auto why = cannot_run(GetParam().scenario, *this))
        GTEST_SKIP() << *why;
    run(GetParam().scenario, *this);
}

INSTANTIATE_TEST_SUITE_P(Shared, SdlWindow, ::testing::ValuesIn(scenario_cases()),
                         [](const auto& info) { return case_name(info.param); });

TEST_F(DesktopGame, APercentKeyIsNotALeftArrow)
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

// An X server with no core fonts at all, and a game that loses within
// seconds: the box draws its text with the game's own font, so the game
// lives through it; SIGTERM ends the game even with the box up.
class DesktopGameWithoutCoreFonts : public DesktopGame {
protected:
    DesktopGameWithoutCoreFonts() : DesktopGame({"-fp", "built-ins"}, 0, draws_for_loss()) {}
};

TEST_F(DesktopGameWithoutCoreFonts, ShowsTheLossBoxAndSigtermStillEndsTheGame)
{
    ASSERT_TRUE(wait_for_loss());
    game->signal(SIGTERM);
    const auto status = game->wait(3s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM);
    EXPECT_TRUE(x.wait_until_none("Form1", 3s)) << "the window outlived the game";
}

// A request the X server refuses is logged and lived through: SDL hands
// each refusal on, and Xlib's own handler would end the game. Focus on a
// window not shown is what SDL asks for when a window manager starting up
// takes the game's window away from under it.
TEST(XErrors, ARefusedRequestIsLoggedAndLivedThrough)
{
    const Xvfb server;
    survive_x_errors();
    Display* display = XOpenDisplay(server.display().c_str());
    ASSERT_NE(display, nullptr);
    const ::Window hidden =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    ::testing::internal::CaptureStderr();
    XSetInputFocus(display, hidden, RevertToParent, CurrentTime);
    XSync(display, False);
    const std::string said = ::testing::internal::GetCapturedStderr();
    XCloseDisplay(display);
    EXPECT_NE(said.find("refused request 42.0 (error 8)"), std::string::npos) << said;
}

TEST_F(DesktopGame, HasTheGamesIconAtTheSizesTaskBarsUse)
{
    const std::vector<unsigned long> icon = x.cardinals(window, "_NET_WM_ICON");
    ASSERT_FALSE(icon.empty()) << "_NET_WM_ICON is not set";
    // The images one after the other: width, height, then ARGB pixels.
    std::vector<unsigned long> sizes;
    std::size_t at = 0;
    std::size_t at64 = 0;
    while (at + 2 <= icon.size()) {
        const unsigned long width = icon[at];
        const unsigned long height = icon[at + 1];
        ASSERT_EQ(width, height);
        ASSERT_LE(at + 2 + width * height, icon.size());
        if (width == 64)
            at64 = at + 2;
        sizes.push_back(width);
        at += 2 + width * height;
    }
    EXPECT_EQ(sizes, (std::vector<unsigned long>{16, 32, 48, 64}));
    ASSERT_NE(at64, 0U);
    // The 64-pixel image is the game's drawing (icon_test.cpp checks it).
    const std::vector<std::uint32_t> drawn = icon::argb_pixels(64);
    for (std::size_t i = 0; i < drawn.size(); ++i)
        ASSERT_EQ(icon[at64 + i] & 0xffffffffUL, drawn[i]) << "pixel " << i;
}

// What the game wrote on its standard error, through a shell that sends it
// to a file after running `first` (a shell command, if any).
std::string run_and_read_stderr(const std::string& display, const std::vector<EnvChange>& changes,
                                std::optional<int>& status, double& seconds,
                                const std::vector<std::string>& launcher = {},
                                const std::string& first = "true")
{
    const std::string file =
        (std::filesystem::temp_directory_path() / ("blockdrop-stderr-" + std::to_string(getpid())))
            .string();
    std::vector<std::string> command = launcher;
    for (const std::string& word : {std::string("sh"), std::string("-c"),
                                    first + R"( && exec "$0" 2>"$1")", game_binary(), file})
        command.push_back(word);
    GameProcess game(command, display, changes);
    status = game.wait(10s);
    seconds = ms_between(game.started(), Clock::now()) / 1000.0;
    std::string said = file_text(file);
    std::filesystem::remove(file);
    return said;
}

TEST(GameWithoutADisplay, SaysSoAndExitsWithStatusOne)
{
    // A display number no server listens on.
    int number = 900;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)))
        ++number;
    const std::string dead = std::string(":").append(std::to_string(number));
    std::optional<int> status;
    double seconds = 0;
    const std::string said = run_and_read_stderr(
        dead, {{"WAYLAND_DISPLAY", std::nullopt}, {"SDL_VIDEODRIVER", std::nullopt}}, status,
        seconds);
    ASSERT_TRUE(status) << "the game ran on without a display";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1);
    EXPECT_NE(said.find("blockdrop: cannot open the display"), std::string::npos) << said;
    EXPECT_NE(said.find("DISPLAY=\"" + dead + "\""), std::string::npos) << said;
    EXPECT_NE(said.find("WAYLAND_DISPLAY not set"), std::string::npos) << said;
    std::printf("exited %.3f s after exec\n", seconds);
}

TEST(GameWithoutItsFont, SaysSoAndExitsWithStatusOneBeforeAGameStarts)
{
    // A display that works: the font is all that is missing.
    const Xvfb server;
    std::optional<int> status;
    double seconds = 0;
    const std::string said = run_and_read_stderr(
        server.display(), {{"LD_PRELOAD", BLOCKDROP_HIDE_FONT}}, status, seconds);
    ASSERT_TRUE(status) << "the game started without its font";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status << " " << said;
    EXPECT_NE(said.find("blockdrop: cannot find the font DejaVu Sans"), std::string::npos) << said;
    std::printf("exited %.3f s after exec\n", seconds);
}

} // namespace
} // namespace blockdrop::window_testing
