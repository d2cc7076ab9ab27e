#pragma once

#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/screen_box.hpp"
#include "tests/on_screen/x_session.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace blockdrop::window_testing {

// The SDL game in a private Xvfb, its window found and its first picture
// drawn before a test begins.
class DesktopGame : public ::testing::Test {
protected:
    DesktopGame() = default;
    // A server with these extra arguments, and the desktop's Xft.dpi set to
    // `dpi` in its resources (none set when 0); with `draws` or `environment`,
    // the test build of the game, playing the draws
    // (tests/support/rehearsal.hpp).
    DesktopGame(const std::vector<std::string>& server_arguments, int dpi,
                std::optional<std::vector<double>> draws = std::nullopt,
                std::vector<EnvChange> environment = {})
        : server(server_arguments), dpi_(dpi), draws_(std::move(draws)),
          environment_(std::move(environment))
    {
    }

    void SetUp() override
    {
        if (dpi_ != 0)
            x.set_resources("Xft.dpi:\t" + std::to_string(dpi_) + "\n");
        launch();
    }

    void launch()
    {
        std::vector<EnvChange> environment = rehearsal(draws_.value_or(std::vector<double>{}));
        environment.insert(environment.end(), environment_.begin(), environment_.end());
        game = environment.empty()
                   ? std::make_unique<GameProcess>(game_binary(), server.display())
                   : std::make_unique<GameProcess>(std::vector<std::string>{test_game_binary()},
                                                   server.display(), environment);
        const auto found = x.wait_for("Form1", 10s);
        ASSERT_TRUE(found) << "the game window did not appear";
        window = *found;
        // Mapped is not yet drawn: wait for the first picture of the board.
        wait_board([](const std::string& b) { return fresh_with_pieces(b, 1); }, 5s);
    }

    double scale() const { return dpi_ == 0 ? 1.0 : dpi_ / 96.0; }

    std::string board() const
    {
        const auto image = x.capture(window);
        return image ? screen_board(*image, scale()) : std::string();
    }

    // Polls the screen until `done` holds of the board; returns the last one.
    std::string wait_board(const std::function<bool(const std::string&)>& done,
                           std::chrono::milliseconds timeout) const
    {
        return window_testing::wait_board([this] { return board(); }, done, timeout);
    }

    void expect_bucket(const std::string& position) const
    {
        wait_board([&](const std::string& b) { return bucket_position(b) == position; }, 3s);
    }

    // True once the loss box is up: seconds away for a game rehearsing a loss.
    bool wait_for_loss()
    {
        return wait_until([&] { return box_pictures().shown(x, window) == Box::lost; }, 30s);
    }

    const BoxPictures& box_pictures() const
    {
        if (!box_pictures_)
            box_pictures_ = std::make_unique<BoxPictures>(scale());
        return *box_pictures_;
    }

    Xvfb server;
    XClient x{server.display()};
    int dpi_ = 0;
    std::optional<std::vector<double>> draws_;
    std::vector<EnvChange> environment_;
    std::unique_ptr<GameProcess> game;
    Window window = 0;
    mutable std::unique_ptr<BoxPictures> box_pictures_;
};

} // namespace blockdrop::window_testing
