// The game's own event loop with SDL virtual pads (the test build
// blockdrop_test_game), in a real X server: presses, held directions, the
// stick, two pads, a pad pulled out while held, and the message boxes.
#include "tests/on_screen/desktop_game.hpp"
#include "tests/support/rehearsal.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace blockdrop::window_testing {
namespace {

class PadWindow : public DesktopGame {
protected:
    // With `draws`, the game plays them at the short period
    // (tests/support/rehearsal.hpp).
    explicit PadWindow(std::optional<std::vector<double>> draws = std::nullopt)
        : DesktopGame({}, 0, std::move(draws), {{"BLOCKDROP_PAD_SCRIPT", script_path()}})
    {
    }

    // The FIFO the game reads its pads' script from, one for each test.
    static std::filesystem::path script_path()
    {
        return std::filesystem::temp_directory_path() /
               ("blockdrop-pads-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()) /
               "script";
    }

    void SetUp() override
    {
        // A game that has gone shows as a failed write, not a silent death.
        std::signal(SIGPIPE, SIG_IGN);
        std::filesystem::create_directories(script_path().parent_path());
        ASSERT_EQ(mkfifo(script_path().c_str(), 0600), 0);
        DesktopGame::SetUp();
        if (HasFatalFailure())
            return;
        // Blocks until the game's script reader has opened its end.
        script_ = open(script_path().c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(script_, 0);
    }

    void TearDown() override
    {
        if (script_ >= 0)
            close(script_);
        game.reset();
        std::filesystem::remove_all(script_path().parent_path());
    }

    void pad(const std::string& command) const
    {
        const std::string line = command + "\n";
        if (write(script_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            const auto status = game->wait(1s);
            FAIL() << "the game no longer reads its pads at \"" << command << "\"; status "
                   << (status ? std::to_string(*status) : std::string("running"));
        }
    }

    // A press and release, held long enough for the game's poll to see it
    // and well short of the first repeat.
    void tap(int number, const std::string& button) const
    {
        pad("press " + std::to_string(number) + " " + button);
        std::this_thread::sleep_for(60ms);
        pad("release " + std::to_string(number) + " " + button);
        std::this_thread::sleep_for(20ms);
    }

    std::string bucket() const { return bucket_position(board()); }

    // The bucket stays where it is for `time`.
    void expect_bucket_stays(const std::string& position, std::chrono::milliseconds time) const
    {
        const auto deadline = Clock::now() + time;
        while (Clock::now() < deadline) {
            ASSERT_EQ(bucket(), position);
            std::this_thread::sleep_for(10ms);
        }
    }

    // The box is gone within a second.
    void expect_no_box() const
    {
        EXPECT_TRUE(wait_until([&] { return box_pictures().shown(x, window) == Box::none; }, 1s));
    }

    int script_ = -1;
};

// The timing of repeats and the stick's thresholds are the shared pads'
// (gamepads_test.cpp); here, that SDL's buttons, axis and devices reach them.
TEST_F(PadWindow, ButtonsStickAndTwoPadsShiftTheBucket)
{
    pad("attach 0");
    tap(0, "dpleft");
    expect_bucket("left");
    tap(0, "dpright");
    expect_bucket("middle");
    tap(0, "rightshoulder");
    expect_bucket("right");
    tap(0, "leftshoulder");
    expect_bucket("middle");
    // Buttons that are not directions move nothing.
    for (const char* button : {"a", "b", "start", "x", "y", "dpup", "dpdown"})
        tap(0, button);
    expect_bucket_stays("middle", 300ms);

    tap(0, "rightshoulder");
    pad("press 0 dpleft");
    expect_bucket("middle");
    // The first repeat is about 250 ms away.
    expect_bucket_stays("middle", 120ms);
    expect_bucket("left");
    pad("release 0 dpleft");
    pad("stick 0 0.3");
    expect_bucket_stays("left", 300ms);
    pad("stick 0 0.6");
    expect_bucket("middle");
    pad("stick 0 0");

    // A second pad, pulled out while held: no repeat from a pad that is
    // gone; plugged in again, it plays.
    tap(0, "dpleft");
    expect_bucket("left");
    pad("attach 1");
    pad("press 1 dpright");
    expect_bucket("middle");
    pad("detach 1");
    expect_bucket_stays("middle", 700ms);
    tap(0, "dpright");
    expect_bucket("right");
    pad("attach 1");
    tap(1, "dpleft");
    expect_bucket("middle");
}

class LosingPadWindow : public PadWindow {
protected:
    LosingPadWindow() : PadWindow(draws_for_loss()) {}
};

// A PlayStation pad: once used, the box marks OK and Cancel with its cross
// and circle.
TEST_F(LosingPadWindow, TheLossBoxTakesAForANewGameAndBToQuitAndDropsTheRest)
{
    pad("attach 0 playstation");
    ASSERT_TRUE(wait_for_loss());
    const std::string under = board();
    for (const char* button : {"dpleft", "dpright", "leftshoulder", "x", "y", "back"})
        tap(0, button);
    pad("stick 0 -1");
    std::this_thread::sleep_for(600ms);
    pad("stick 0 0");
    const BoxPictures marked(scale(), box_pad_marks(PadFamily::playstation));
    EXPECT_TRUE(wait_until([&] { return marked.shown(x, window) == Box::lost; }, 1s))
        << "only A, B and Start answer, and the box shows the pad's marks";
    EXPECT_EQ(board(), under) << "the board moved under the box";
    tap(0, "a");
    expect_no_box();
    expect_bucket("middle");
    EXPECT_FALSE(game->wait(0ms)) << "A plays on";

    // The next loss box shows the marks from the start.
    ASSERT_TRUE(wait_until([&] { return marked.shown(x, window) == Box::lost; }, 30s));
    // Only the press: the game is gone before a release could reach it.
    pad("press 0 b");
    EXPECT_TRUE(game->exits_zero(3s)) << "B is Cancel, which ends the game";
}

} // namespace
} // namespace blockdrop::window_testing
