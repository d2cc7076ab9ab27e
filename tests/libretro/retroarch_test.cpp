// Debian's RetroArch runs the core with no content and no display, and its
// screenshot shows the board so many ticks in: with the frontend's
// run-ahead and rewind on, which it offers only for the deterministic states
// the core's info file declares, the frame it shows is two ahead.
#include "shell/libretro/frame_layout.hpp"
#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/screen_board.hpp"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace blockdrop::libretro_testing {
namespace {

using namespace window_testing;

std::optional<Image> read_png(const std::string& file)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, file.c_str()) == 0)
        return std::nullopt;
    png.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr) == 0)
        return std::nullopt;
    Image image{static_cast<int>(png.width), static_cast<int>(png.height), {}};
    for (std::size_t at = 0; at + 2 < bytes.size(); at += 3)
        image.pixels.push_back(Rgb{bytes[at], bytes[at + 1], bytes[at + 2]});
    return image;
}

// RetroArch's screenshot after `frames` frames, its settings `extra`.
std::optional<Image> retroarch_shot(int frames, const std::string& extra)
{
    const std::filesystem::path core = BLOCKDROP_CORE;
    const auto home = std::filesystem::path(::testing::TempDir()) /
                      ("retroarch-" + std::to_string(frames) + std::to_string(extra.size()));
    std::filesystem::create_directories(home);
    // Where it finds the core's info file: beside the core, as where Debian
    // installs both.
    std::ofstream(home / "retroarch.cfg")
        << "video_driver = \"null\"\ninput_driver = \"null\"\naudio_enable = \"false\"\n"
        << "video_gpu_screenshot = \"false\"\nconfig_save_on_exit = \"false\"\n"
        << "libretro_directory = \"" << core.parent_path().string() << "\"\n"
        << "libretro_info_path = \"" << core.parent_path().string() << "\"\n"
        << extra;
    const auto shot = home / "shot.png";
    std::filesystem::remove(shot);
    const std::string command = "cd '" + home.string() + "' && HOME='" + home.string() +
                                "' XDG_CONFIG_HOME='" + home.string() + "' '" BLOCKDROP_RETROARCH +
                                std::string("' --config=retroarch.cfg -L '") + core.string() +
                                "' --max-frames=" + std::to_string(frames) +
                                " --max-frames-ss --max-frames-ss-path='" + shot.string() +
                                "' > retroarch.log 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "see " << (home / "retroarch.log");
    return read_png(shot.string());
}

TEST(RetroArch, RunsTheCoreHeadlessAndShowsTheBoardTicksIn)
{
    if (std::string(BLOCKDROP_RETROARCH).empty())
        GTEST_SKIP() << "no retroarch (Debian's retroarch package) was found at configure time";
    // Frames 60, 120 and 180 tick; the 241st would be the fourth.
    const auto plain = retroarch_shot(240, "");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->width, libretro::frame_size.width);
    EXPECT_EQ(plain->height, libretro::frame_size.height);
    const std::string board = board_in(*plain, libretro::frame_placement());
    EXPECT_EQ(pieces_of_new_game(board), 3) << board;
    expect_fitted_picture(*plain, 1.0);

    const auto ahead =
        retroarch_shot(240, "run_ahead_enabled = \"true\"\nrun_ahead_frames = \"2\"\n"
                            "rewind_enable = \"true\"\n");
    ASSERT_TRUE(ahead);
    const std::string later = board_in(*ahead, libretro::frame_placement());
    EXPECT_EQ(pieces_of_new_game(later), 4) << "run-ahead shows the frame two ahead\n" << later;
    expect_fitted_picture(*ahead, 1.0);
}

} // namespace
} // namespace blockdrop::libretro_testing
