// The real game on a Wayland compositor (a headless sway), natively and
// through Xwayland, and under X when another client makes its window huge.
#include "shell/desktop/sdl_version.hpp"
#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/screen_box.hpp"
#include "tests/on_screen/wayland_session.hpp"
#include "tests/on_screen/x_session.hpp"
#include "tests/support/rehearsal.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace blockdrop::window_testing {
namespace {

// Every other pixel of a picture magnified twice by repeating each pixel,
// as sway does at a whole-number scale: the picture before.
Image halved(const Image& image)
{
    Image half{image.width / 2, image.height / 2, {}};
    for (int y = 0; y < half.height; ++y) {
        for (int x = 0; x < half.width; ++x)
            half.pixels.push_back(image.at(2 * x, 2 * y));
    }
    return half;
}

// The lines of /proc/PID/maps: what the process has mapped.
std::vector<std::string> mapped(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/maps");
    std::vector<std::string> maps;
    for (std::string line; std::getline(file, line);)
        maps.push_back(line);
    return maps;
}

// Bytes of the largest of the game's picture buffers mapped.
std::size_t buffer_bytes(pid_t pid)
{
    std::size_t bytes = 0;
    for (const std::string& line : mapped(pid)) {
        if (line.find("/memfd:blockdrop") != std::string::npos)
            bytes = std::max<std::size_t>(
                bytes, std::stoull(line.substr(line.find('-') + 1), nullptr, 16) -
                           std::stoull(line, nullptr, 16));
    }
    return bytes;
}

// How the game reaches the compositor.
enum class Path { wayland_by_name, wayland_only, xwayland };

std::string path_name(const ::testing::TestParamInfo<Path>& info)
{
    switch (info.param) {
    case Path::wayland_by_name: return "WaylandByName";
    case Path::wayland_only: return "OnlyWaylandDisplaySet";
    case Path::xwayland: return "Xwayland";
    }
    return "Unknown";
}

// The game on its own headless sway, reached one of the three ways.
class SwayGame {
public:
    explicit SwayGame(Path path) : path_(path) {}

    bool native() const { return path_ != Path::xwayland; }

    // Starts the game with the output at `output_scale` and waits for its
    // first picture; with `draws`, the test build of the game playing them
    // (tests/support/rehearsal.hpp).
    void launch(double output_scale, const std::vector<double>& draws = {})
    {
        sway.set_scale(output_scale);
        auto environment = native() ? sway.native_environment() : sway.xwayland_environment();
        if (path_ == Path::wayland_by_name)
            environment.push_back({"SDL_VIDEODRIVER", "wayland"});
        for (const EnvChange& change : rehearsal(draws))
            environment.push_back(change);
        const std::string binary = draws.empty() ? game_binary() : test_game_binary();
        game = std::make_unique<GameProcess>(sway.as_its_user({sway.reachable(binary)}), "",
                                             environment);
        // A window may take seconds to appear on a busy machine.
        const auto area = sway.wait_for_window(game->pid(), 30s);
        if (!area) {
            const auto status = game->wait(0ms);
            FAIL() << "the game window did not appear; the game "
                   << (status ? "ended with status " + std::to_string(*status) : "still runs")
                   << "; sway's tree:\n"
                   << sway.layout_tree().value_or("(swaymsg failed)");
        }
        area_ = *area;
        scale_ = output_scale;
        wait_board([](const std::string& b) { return fresh_with_pieces(b, 1); }, 5s);
    }

    // The scale the game draws at natively: the output's where SDL follows
    // fractional scales (2.30.9 on), else rounded up to a whole buffer
    // scale; through Xwayland 96 dpi, which sway magnifies.
    double drawn_scale() const
    {
        if (!native())
            return 1.0;
        return sdl_follows_fractional_scales() ? scale_ : std::ceil(scale_);
    }

    static bool sdl_follows_fractional_scales() { return sdl_at_least(2, 30, 9); }

    // A picture of the client area in the game's own pixels.
    std::optional<Image> picture() const { return sway.capture(area_); }
    // The area, mutable: a driver reads it again as the window moves.

    std::string board() const
    {
        const auto image = picture();
        if (!image)
            return {};
        return native() || scale_ == 1 ? screen_board(*image, drawn_scale())
                                       : screen_board(halved(*image), 1);
    }

    std::string wait_board(const std::function<bool(const std::string&)>& done,
                           std::chrono::milliseconds timeout) const
    {
        return window_testing::wait_board([this] { return board(); }, done, timeout);
    }

    void key(const std::string& name) const
    {
        if (native())
            sway.key(name);
        else
            sway.x_key(name);
    }

    Sway sway;
    std::unique_ptr<GameProcess> game;
    mutable Geometry area_;
    double scale_ = 1.0;

private:
    Path path_;
};

// What only Wayland has, natively and through Xwayland.
class WaylandGame : public ::testing::TestWithParam<Path> {
protected:
    SwayGame on{GetParam()};
};

TEST_P(WaylandGame, FollowsAScaleChangeWhileRunning)
{
    on.launch(1);
    on.sway.set_scale(2);
    on.scale_ = 2;
    on.area_ = on.sway.wait_for_window(on.game->pid(), 5s).value_or(on.area_);
    // The next picture, at most a tick away, is drawn at the new scale.
    std::this_thread::sleep_for(1500ms);
    const auto image = on.picture();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 812);
    // Through Xwayland sway magnifies the game's 96-dpi picture.
    const Image seen = on.native() ? *image : halved(*image);
    const double drawn = on.native() ? 2 : 1;
    const std::string board = screen_board(seen, drawn);
    EXPECT_EQ(board.find('?'), std::string::npos) << board;
    EXPECT_EQ(board_pixels_mismatch(seen, board, drawn), std::nullopt) << board;
    EXPECT_FALSE(on.game->wait(0ms));
}

// What the game has mapped: no GL behind its window, whichever way it
// reaches the compositor, and natively two pictures' buffers at most: the
// one the compositor holds (sway's renderer keeps the last one) and the
// next, kept mapped so that a paint faults in no page again. A native
// window names the game's desktop entry, WAYLAND_DISPLAY alone being
// enough for one.
TEST_P(WaylandGame, DrawsWithoutGlKeepsTwoPicturesMappedAtMostAndNamesItsDesktopEntry)
{
    on.launch(2);
    on.key("Left");
    on.wait_board([](const std::string& b) { return bucket_position(b) == "left"; }, 3s);
    on.key("Right");
    on.wait_board([](const std::string& b) { return bucket_position(b) == "middle"; }, 3s);
    const std::vector<std::string> maps = mapped(on.game->pid());
    ASSERT_FALSE(maps.empty());
    for (const char* gl : {"libEGL", "libGL", "_dri.so", "libLLVM", "libvulkan"}) {
        EXPECT_TRUE(std::none_of(
            maps.begin(), maps.end(),
            [&](const std::string& line) { return line.find(gl) != std::string::npos; }))
            << gl << " is loaded";
    }
    const auto app_id = on.sway.app_id_of(on.game->pid());
    if (on.native()) {
        const auto buffers =
            std::count_if(maps.begin(), maps.end(), [](const std::string& line) {
                return line.find("/memfd:blockdrop") != std::string::npos;
            });
        EXPECT_TRUE(buffers == 1 || buffers == 2) << buffers << " buffers mapped";
        EXPECT_EQ(app_id, "invalid.blockdrop.blockdrop");
    } else {
        EXPECT_EQ(app_id, std::nullopt) << "an X window has a class, not an app_id";
    }
}

// A second output at a larger scale beside the game's: the game still draws
// at the scale of the output it is on, into no larger a buffer.
TEST(WaylandOutputs, TheGameDrawsAtTheScaleOfTheOutputItIsOn)
{
    SwayGame on(Path::wayland_by_name);
    on.launch(1);
    const std::size_t before = buffer_bytes(on.game->pid());
    on.sway.add_output(2);
    // The new output's scale, read at one picture, shows at the next.
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(buffer_bytes(on.game->pid()), before);
    const auto image = on.picture();
    ASSERT_TRUE(image);
    const std::string board = screen_board(*image, 1);
    EXPECT_EQ(board_pixels_mismatch(*image, board, 1), std::nullopt) << board;
}

INSTANTIATE_TEST_SUITE_P(OnSway, WaylandGame,
                         ::testing::Values(Path::wayland_by_name, Path::wayland_only,
                                           Path::xwayland),
                         path_name);

// The shared scenarios (tests/scenarios) natively on sway, the output's
// scale the scenario's dpi over 96. The box is inside the game's window,
// so every key goes to the window.
class SwayWindow : public SdlPictureFront, public ::testing::TestWithParam<ScenarioCase> {
protected:
    void SetUp() override
    {
        if (fractional() && !SwayGame::sdl_follows_fractional_scales())
            return;
        on_.emplace(Path::wayland_by_name);
        on_->launch(GetParam().dpi / 96.0,
                    rehearsed_draws(GetParam().scenario).value_or(std::vector<double>{}));
    }

    static bool fractional() { return GetParam().dpi % 96 != 0; }

    std::optional<std::string> cannot(const Step& step, bool /*box_up*/) const override
    {
        if (step.words[0] == "away")
            return "sway minimises no window, and xdg-shell tells a client nothing of being "
                   "minimised or hidden";
        if (fractional() && !SwayGame::sdl_follows_fractional_scales())
            return "SDL before 2.30.9 has no fractional scale: the game draws at 2 and the "
                   "compositor shrinks the picture";
        return std::nullopt;
    }

    // The window as it is now: a resize or full screen moves its area.
    std::optional<Image> window_picture() const override
    {
        if (resizing_)
            on_->area_ = on_->sway.window_of(on_->game->pid()).value_or(on_->area_);
        return on_->picture();
    }
    double natural_scale() const override { return on_->drawn_scale(); }

    void press(const std::string& key, Target /*target*/) override
    {
        resizing_ = resizing_ || key == "F11" || key == "Alt+Return";
        on_->sway.key(keysym_names(key));
    }

    void click(const std::string& button, int above) override
    {
        const auto [x, y] = button_centre(button);
        on_->sway.click(on_->area_.x + x / natural_scale(),
                        on_->area_.y + (y - above) / natural_scale());
    }

    // Sway resizes a floating window about its centre: it is moved back to
    // the output's corner, where all of it shows.
    void resize(PixelSize size) override
    {
        resizing_ = true;
        const std::string window = "[pid=" + std::to_string(on_->game->pid()) + "]";
        on_->sway.run({"swaymsg", window, "resize", "set",
                       std::to_string(std::lround(size.width / natural_scale())),
                       std::to_string(std::lround(size.height / natural_scale()))});
        on_->sway.run({"swaymsg", window, "move", "position", "0", "0"});
        EXPECT_TRUE(wait_until([&] { return window_size() == size; }, 3s))
            << "the window stays " << window_size().width << "x" << window_size().height;
    }

    void switch_full_screen() override
    {
        resizing_ = true;
        press("F11", Target::game);
    }

    bool full_screen() const override { return window_size() == PixelSize{1920, 1080}; }
    PixelSize window_size() const override
    {
        if (resizing_)
            on_->area_ = on_->sway.window_of(on_->game->pid()).value_or(on_->area_);
        return PixelSize{static_cast<int>(std::lround(on_->area_.width * natural_scale())),
                         static_cast<int>(std::lround(on_->area_.height * natural_scale()))};
    }

    void leave() override {}
    void come_back() override {}
    void close_game() override { on_->sway.close(on_->game->pid()); }
    bool running() override { return !on_->game->wait(0ms); }
    void expect_exit_zero() override
    {
        EXPECT_TRUE(on_->game->exits_zero(5s)) << "the answer must end the program";
    }

    // Started only for a case that runs.
    std::optional<SwayGame> on_;
    // Whether the window's area is read again at each picture.
    mutable bool resizing_ = false;
};

TEST_P(SwayWindow, Scenario)
{
    if (const auto why = cannot_run(GetParam().scenario, *this))
        GTEST_SKIP() << *why;
    run(GetParam().scenario, *this);
}

INSTANTIATE_TEST_SUITE_P(Shared, SwayWindow, ::testing::ValuesIn(scenario_cases()),
                         [](const auto& info) { return case_name(info.param); });

// Another X client resizes the game window to X's largest size: the game
// lives on, its board drawn to fit the part of the window the screen shows,
// the rest background, and it draws no more than the screen can show.
TEST(HugeWindow, StaysAliveAndDrawnWithBoundedMemory)
{
    Xvfb server;
    XClient x(server.display());
    GameProcess game(game_binary(), server.display());
    const auto window = x.wait_for("Form1", 10s);
    ASSERT_TRUE(window);
    std::this_thread::sleep_for(500ms);
    x.resize_at_corner(*window, 32767, 32767);
    std::this_thread::sleep_for(1500ms);
    ASSERT_FALSE(game.wait(0ms)) << "the game ended on a resize";
    EXPECT_EQ(x.size(*window), (std::pair{32767, 32767}));
    // The board, as drawn after the resize and a tick: fitted to what the
    // screen shows of the window, the background around it.
    const auto [width, height] = x.screen_size();
    const auto image = x.capture(*window, 0, 0, width, height);
    ASSERT_TRUE(image);
    expect_fitted_picture(*image, 1.0);
    EXPECT_LT(process_memory_mb(game.pid(), "VmHWM"), 100.0);
    std::printf("peak resident memory after a 32767x32767 resize: %.1f MB\n",
                process_memory_mb(game.pid(), "VmHWM"));
}

} // namespace
} // namespace blockdrop::window_testing
