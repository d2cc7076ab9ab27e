// The Windows game under Wine where neither XInput DLL can be loaded
// (WINEDLLOVERRIDES disables both): it starts, says nothing, and plays on
// the keyboard as before.
#include "shell/layout.hpp"
#include "tests/window/screen_board.hpp"
#include "tests/window/wine_session.hpp"
#include "tests/window/x_session.hpp"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <thread>

namespace blockdrop::window_testing {
namespace {

TEST(WineWithoutXInput, TheGameStartsAndPlaysOnTheKeyboard)
{
    Xvfb server;
    XClient x(server.display());
    // Wine's desktop process of an earlier case's display would take this
    // one's windows: wait until it has gone.
    const auto quiet = Clock::now() + 15s;
    while (!wine_processes({}, "explorer.exe").empty() && Clock::now() < quiet)
        std::this_thread::sleep_for(20ms);
    auto game = std::make_unique<GameProcess>(
        std::vector<std::string>{"wine", windows_game()}, server.display(),
        std::vector<EnvChange>{{"WINEPREFIX", wine_prefix()},
                               {"WINEDEBUG", "-all"},
                               {"WINEDLLOVERRIDES", "xinput1_4,xinput9_1_0=d"}});
    const auto window = x.wait_for("Form1", 20s);
    ASSERT_TRUE(window) << "the game window did not appear";
    const PixelSize size = client_size(scale_at_dpi(96));
    const auto bucket = [&, w = size.width, h = size.height] {
        const Area client = client_area(x.size(*window), w, h);
        const auto image = x.capture(*window, client.left, client.top, w, h);
        return image ? bucket_position(screen_board(*image)) : std::string("none");
    };
    const auto wait_for = [&](const std::string& position) {
        const auto deadline = Clock::now() + 10s;
        while (bucket() != position && Clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        return bucket();
    };
    EXPECT_EQ(wait_for("middle"), "middle");
    x.focus(*window);
    x.key(XK_Left);
    EXPECT_EQ(wait_for("left"), "left");
    x.key(XK_Right);
    x.key(XK_Right);
    EXPECT_EQ(wait_for("right"), "right");
    EXPECT_FALSE(game->wait(0ms)) << "the game is still running";
    x.close(*window);
    const auto status = game->wait(10s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    game.reset();
    const auto deadline = Clock::now() + 10s;
    while (!wine_processes(server.display()).empty() && Clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
}

} // namespace
} // namespace blockdrop::window_testing
