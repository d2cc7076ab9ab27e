// The real game on a Wayland compositor (a headless sway), natively and
// through Xwayland, and under X when another client makes its window huge.
#include "shell/desktop/sdl_version.hpp"
#include "tests/support/rehearsal.hpp"
#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/screen_box.hpp"
#include "tests/on_screen/wayland_session.hpp"
#include "tests/on_screen/x_session.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace blockdrop::window_testing {
namespace {

// A new game's board: the set-up, with at most its first piece.
bool fresh(const std::string& board)
{
    return fresh_with_pieces(board, 1);
}

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

// The X servers running, with their arguments, and the X sockets.
std::string x_servers()
{
    std::string listed;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream command(entry.path() / "cmdline");
        std::string line;
        std::getline(command, line, '\0');
        if (line.find("Xwayland") != std::string::npos || line.find("Xvfb") != std::string::npos) {
            std::string rest;
            while (std::getline(command, rest, '\0'))
                line += " " + rest;
            listed += entry.path().filename().string() + ": " + line + "\n";
        }
    }
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/tmp/.X11-unix", ignored))
        listed += entry.path().string() + "\n";
    return listed;
}

class WaylandGame : public ::testing::TestWithParam<Path> {
protected:
    static bool native() { return GetParam() != Path::xwayland; }

    // With `draws`, the test build of the game playing them
    // (tests/support/rehearsal.hpp).
    void launch(double output_scale, const std::vector<double>& draws = {})
    {
        sway.set_scale(output_scale);
        auto environment = native() ? sway.native_environment() : sway.xwayland_environment();
        if (GetParam() == Path::wayland_by_name)
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
                   << sway.layout_tree().value_or("(swaymsg failed)") << "\nX servers:\n"
                   << x_servers();
        }
        area_ = *area;
        scale_ = output_scale;
        wait_board(fresh, 5s);
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

    // True once the loss box is up: seconds away for a game rehearsing a
    // loss.
    bool wait_for_loss() const
    {
        const BoxPictures boxes(scale_);
        return wait_until(
            [&] {
                const auto image = picture();
                return image && boxes.shown(*image) == Box::lost;
            },
            30s);
    }

    void expect_exit_zero(const char* what)
    {
        const auto status = game->wait(5s);
        ASSERT_TRUE(status) << what << " must end the program";
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << what;
    }

    Sway sway;
    std::unique_ptr<GameProcess> game;
    Geometry area_;
    double scale_ = 1.0;
};

// The whole board part of the client area, pixel by pixel, at the scale
// the game draws at; through Xwayland the compositor magnifies the game's
// 96-dpi picture, so there only the cells' middles are read.
void expect_set_up_board(const Image& image, double scale, bool to_the_pixel)
{
    const std::string board = screen_board(image, scale);
    ASSERT_TRUE(fresh(board)) << board;
    if (to_the_pixel) {
        EXPECT_EQ(board_pixels_mismatch(image, board, scale), std::nullopt) << board;
    }
}

TEST_P(WaylandGame, DrawsTheSetUpBoardAtScaleOne)
{
    launch(1);
    EXPECT_EQ(area_.width, 406);
    EXPECT_EQ(area_.height, 424);
    const auto image = picture();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 406);
    expect_set_up_board(*image, 1, true);
}

TEST_P(WaylandGame, DrawsTheSetUpBoardAtScaleTwo)
{
    launch(2);
    // Logical pixels: the same window on the desktop as at scale 1.
    EXPECT_EQ(area_.width, 406);
    EXPECT_EQ(area_.height, 424);
    const auto image = picture();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 812);
    EXPECT_EQ(image->height, 848);
    if (native()) {
        expect_set_up_board(*image, 2, true);
    } else {
        // Xwayland tells the game no scale (sway sets no Xft.dpi): its
        // 96-dpi picture, magnified by the compositor.
        expect_set_up_board(halved(*image), 1, true);
    }
}

TEST_P(WaylandGame, DrawsTheSetUpBoardToThePixelAtScaleOneAndAHalf)
{
    if (!native())
        GTEST_SKIP() << "through Xwayland sway magnifies the 96-dpi picture by 1.5";
    if (!sdl_follows_fractional_scales())
        GTEST_SKIP() << "SDL before 2.30.9 has no fractional scale: the game draws at 2 and "
                        "the compositor shrinks the picture";
    launch(1.5);
    const auto image = picture();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 609);
    EXPECT_EQ(image->height, 636);
    expect_set_up_board(*image, 1.5, true);
}

TEST_P(WaylandGame, FollowsAScaleChangeWhileRunning)
{
    launch(1);
    sway.set_scale(2);
    scale_ = 2;
    area_ = sway.wait_for_window(game->pid(), 5s).value_or(area_);
    // The next picture, at most a tick away, is drawn at the new scale.
    std::this_thread::sleep_for(1500ms);
    const auto image = picture();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 812);
    const Image seen = native() ? *image : halved(*image);
    const double drawn = native() ? 2 : 1;
    const std::string board = screen_board(seen, drawn);
    EXPECT_EQ(board.find('?'), std::string::npos) << board;
    EXPECT_EQ(board_pixels_mismatch(seen, board, drawn), std::nullopt) << board;
    EXPECT_FALSE(game->wait(0ms));
}

TEST_P(WaylandGame, AShiftMovesTheBucket)
{
    launch(1);
    key("Left");
    wait_board([](const std::string& b) { return bucket_position(b) == "left"; }, 3s);
    key("Right");
    key("Right");
    wait_board([](const std::string& b) { return bucket_position(b) == "right"; }, 3s);
}

// What the game has mapped: no GL behind its window, whichever way it
// reaches the compositor, and natively one picture's buffer however many
// the compositor still holds (sway's renderer keeps the last one).
TEST_P(WaylandGame, DrawsWithoutGlAndKeepsOnePictureMapped)
{
    launch(2);
    key("Left");
    wait_board([](const std::string& b) { return bucket_position(b) == "left"; }, 3s);
    key("Right");
    wait_board([](const std::string& b) { return bucket_position(b) == "middle"; }, 3s);
    std::ifstream file("/proc/" + std::to_string(game->pid()) + "/maps");
    std::vector<std::string> maps;
    for (std::string line; std::getline(file, line);)
        maps.push_back(line);
    ASSERT_FALSE(maps.empty());
    for (const char* gl : {"libEGL", "libGL", "_dri.so", "libLLVM", "libvulkan"}) {
        EXPECT_TRUE(std::none_of(
            maps.begin(), maps.end(),
            [&](const std::string& line) { return line.find(gl) != std::string::npos; }))
            << gl << " is loaded";
    }
    if (native()) {
        EXPECT_EQ(std::count_if(maps.begin(), maps.end(),
                                [](const std::string& line) {
                                    return line.find("/memfd:blockdrop") != std::string::npos;
                                }),
                  1);
    }
}

TEST_P(WaylandGame, TheLossBoxTakesReturnForANewGameAndEscapeToQuit)
{
    // Natively at scale 2, so the box's text is drawn at that size.
    launch(native() ? 2 : 1, draws_for_loss());
    ASSERT_TRUE(wait_for_loss());
    key("Return");
    wait_board(fresh, 3s);
    EXPECT_FALSE(game->wait(0ms)) << "OK plays on";
    ASSERT_TRUE(wait_for_loss());
    key("Escape");
    expect_exit_zero("Escape on the loss box");
}

TEST_P(WaylandGame, ANativeWindowNamesTheGamesDesktopEntry)
{
    launch(1);
    const auto app_id = sway.app_id_of(game->pid());
    if (native()) {
        EXPECT_EQ(app_id, "invalid.blockdrop.blockdrop");
    } else {
        EXPECT_EQ(app_id, std::nullopt) << "an X window has a class, not an app_id";
    }
}

TEST_P(WaylandGame, ClosingTheWindowEndsTheProgramWithStatusZero)
{
    launch(1);
    sway.close(game->pid());
    expect_exit_zero("closing the window");
}

INSTANTIATE_TEST_SUITE_P(OnSway, WaylandGame,
                         ::testing::Values(Path::wayland_by_name, Path::wayland_only,
                                           Path::xwayland),
                         path_name);

// Another X client resizes the game window to X's largest size: the game
// lives on, its board drawn at its place and scale, the rest background,
// and it draws no more than the board needs.
TEST(HugeWindow, StaysAliveAndDrawnWithBoundedMemory)
{
    Xvfb server;
    XClient x(server.display());
    GameProcess game(game_binary(), server.display());
    const auto window = x.wait_for("Form1", 10s);
    ASSERT_TRUE(window);
    std::this_thread::sleep_for(500ms);
    x.resize(*window, 32767, 32767);
    std::this_thread::sleep_for(1500ms);
    ASSERT_FALSE(game.wait(0ms)) << "the game ended on a resize";
    EXPECT_EQ(x.size(*window), (std::pair{32767, 32767}));
    // The board, as drawn after the resize and a tick.
    const auto image = x.capture(*window, 0, 0, 406, 424);
    ASSERT_TRUE(image);
    const std::string board = screen_board(*image);
    EXPECT_EQ(board.find('?'), std::string::npos) << board;
    EXPECT_EQ(board_pixels_mismatch(*image, board, 1), std::nullopt) << board;
    // Beside the board, as far as the screen shows: background.
    const auto beside = x.capture(*window, 406, 0, 200, 424);
    ASSERT_TRUE(beside);
    for (const Rgb& pixel : beside->pixels)
        ASSERT_EQ(pixel, background);
    EXPECT_LT(process_memory_mb(game.pid(), "VmHWM"), 100.0);
    std::printf("peak resident memory after a 32767x32767 resize: %.1f MB\n",
                process_memory_mb(game.pid(), "VmHWM"));
}

} // namespace
} // namespace blockdrop::window_testing
