// The shared scenarios (tests/scenarios) on the libretro core: a frontend
// of our own runs its test build at 60 frames a second, as RetroArch does,
// holds the RetroPad's buttons for the keys and touches for the clicks, and
// reads the board and the box off the frames.
#include "tests/libretro/core_host.hpp"

#include "shell/libretro/frame_layout.hpp"
#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/screen_box.hpp"
#include "tests/support/rehearsal.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

namespace blockdrop::libretro_testing {
namespace {

using namespace std::chrono_literals;
using namespace window_testing;

// The RetroPad button a key plays the part of: the arrows the D-pad, Return
// A (OK), Escape B (Cancel), Space Start; modifiers are not the pad's. Any
// other key has no button, as a frontend keeps such keys to itself.
std::uint32_t buttons_for(std::string key)
{
    for (const char* modifier : {"Shift+", "Ctrl+", "Alt+"}) {
        while (key.rfind(modifier, 0) == 0)
            key.erase(0, std::string(modifier).size());
    }
    const std::map<std::string, unsigned> pad = {
        {"Left", RETRO_DEVICE_ID_JOYPAD_LEFT}, {"Right", RETRO_DEVICE_ID_JOYPAD_RIGHT},
        {"Up", RETRO_DEVICE_ID_JOYPAD_UP},     {"Down", RETRO_DEVICE_ID_JOYPAD_DOWN},
        {"Return", RETRO_DEVICE_ID_JOYPAD_A},  {"Escape", RETRO_DEVICE_ID_JOYPAD_B},
        {"Space", RETRO_DEVICE_ID_JOYPAD_START}};
    const auto found = pad.find(key);
    return found == pad.end() ? 0 : button(found->second);
}

class LibretroGame : public ::testing::Test,
                     public SdlPictureFront,
                     public ::testing::WithParamInterface<ScenarioCase> {
protected:
    void SetUp() override
    {
        if (GetParam().dpi != 96)
            GTEST_SKIP() << "a core draws one frame size; the frontend scales it to the screen";
        if (const auto why = cannot_run(GetParam().scenario, *this))
            GTEST_SKIP() << *why;
        for (const EnvChange& change :
             rehearsal(rehearsed_draws(GetParam().scenario).value_or(std::vector<double>{}))) {
            if (change.value)
                setenv(change.name.c_str(), change.value->c_str(), 1);
            else
                unsetenv(change.name.c_str());
        }
        host_ = std::make_unique<CoreHost>(BLOCKDROP_TEST_CORE);
        ASSERT_TRUE(host_->load());
        frames_ = std::thread([this] { run_frames(); });
        ASSERT_TRUE(wait_until([&] { return window_picture().has_value(); }, 3s));
    }

    void TearDown() override
    {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        if (frames_.joinable())
            frames_.join();
        host_.reset();
        unsetenv("BLOCKDROP_TEST_DRAWS");
        unsetenv("BLOCKDROP_TEST_PERIOD_MS");
    }

    // The frontend's loop: a frame every 60th of a second, but while the
    // player is away (its menu open, its window in the background).
    void run_frames()
    {
        auto next = std::chrono::steady_clock::now();
        std::unique_lock lock(mutex_);
        while (!stop_) {
            if (!away_ && host_->loaded()) {
                Held held;
                if (!queued_.empty()) {
                    held = queued_.front();
                    queued_.pop_front();
                }
                host_->run(held);
                picture_ = host_->picture();
                changed_.notify_all();
            }
            next += std::chrono::microseconds(16667);
            lock.unlock();
            std::this_thread::sleep_until(next);
            lock.lock();
        }
    }

    // Held for three frames and let go for one; returns once they have run.
    void hold(const Held& held)
    {
        std::unique_lock lock(mutex_);
        Held released = held;
        released.buttons = 0;
        released.stick_x = 0;
        released.pointer_down = false;
        queued_.insert(queued_.end(), {held, held, held, released});
        changed_.wait_for(lock, 2s, [&] { return queued_.empty() || !host_->loaded(); });
    }

    std::optional<Image> window_picture() const override
    {
        const std::lock_guard lock(mutex_);
        return picture_;
    }
    double natural_scale() const override { return 1.0; }
    std::optional<PadMarks> box_marks() const override { return PadMarks{}; }

    std::optional<std::string> cannot(const Step& step, bool /*box_up*/) const override
    {
        const auto& w = step.words;
        if (w[0] == "resize" || w[0] == "full" || (w[0] == "expect" && w[1] == "full"))
            return "the frontend scales the core's frame to its screen: the core has no window "
                   "of its own to resize or put full screen";
        return std::nullopt;
    }

    std::string board() const override { return SdlPictureFront::board(); }

    void press(const std::string& key, Target /*target*/) override { hold(Held{buttons_for(key)}); }

    // A touch on the button, where the frontend's pointer puts it.
    void click(const std::string& button, int above) override
    {
        const auto [x, y] = button_centre(button);
        const auto pointer = [](double at, int size) {
            return static_cast<std::int16_t>(std::lround((at + 0.5) * 0xFFFE / size) - 0x7FFF);
        };
        Held touch;
        touch.pointer_down = true;
        touch.pointer_x = pointer(x, libretro::frame_size.width);
        touch.pointer_y = pointer(y - above, libretro::frame_size.height);
        hold(touch);
    }

    // The frontend closes the content: the core is unloaded.
    void close_game() override
    {
        const std::lock_guard lock(mutex_);
        host_->unload();
    }

    void expect_set_up_board() const override
    {
        const auto image = window_picture();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, libretro::frame_size.width);
        EXPECT_EQ(image->height, libretro::frame_size.height);
        EXPECT_TRUE(fresh_with_pieces(board(), 1)) << board();
        expect_fitted_picture(*image, 1.0);
    }

    bool running() override
    {
        const std::lock_guard lock(mutex_);
        return host_->loaded() && host_->shutdowns_asked() == 0;
    }

    // Quitting asks the frontend once to close the core, which it then
    // unloads; closed by the frontend, it is unloaded already.
    void expect_exit_zero() override
    {
        const std::lock_guard lock(mutex_);
        EXPECT_TRUE(!host_->loaded() || host_->shutdowns_asked() == 1)
            << "asked to shut down " << host_->shutdowns_asked() << " times";
        host_->unload();
    }

    void resize(PixelSize /*size*/) override {}
    void switch_full_screen() override {}
    bool full_screen() const override { return false; }

    void leave() override
    {
        const std::lock_guard lock(mutex_);
        away_ = true;
    }
    void come_back() override
    {
        const std::lock_guard lock(mutex_);
        away_ = false;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<CoreHost> host_;
    std::thread frames_;
    std::deque<Held> queued_;
    std::optional<Image> picture_;
    bool away_ = false;
    bool stop_ = false;
};

TEST_P(LibretroGame, Scenario)
{
    run(GetParam().scenario, *this);
}

INSTANTIATE_TEST_SUITE_P(Shared, LibretroGame, ::testing::ValuesIn(scenario_cases()),
                         [](const auto& info) { return case_name(info.param); });

} // namespace
} // namespace blockdrop::libretro_testing
