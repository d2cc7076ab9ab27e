// The libretro core through a frontend of our own (core_host.hpp): what it
// tells the frontend, its clock of frames, quitting, and its saved states.
#include "tests/libretro/core_host.hpp"

#include "shell/libretro/frame_layout.hpp"
#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/screen_box.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string_view>

namespace blockdrop::libretro_testing {
namespace {

using window_testing::Box;
using window_testing::BoxPictures;

std::string board_of(const CoreHost& core)
{
    return window_testing::board_in(core.picture(), libretro::frame_placement());
}

Box box_of(const CoreHost& core)
{
    static const BoxPictures boxes(libretro::frame_placement(), PadMarks{});
    return boxes.shown(core.picture());
}

// A frame's pixels, hashed as bytes.
std::size_t hash(const std::vector<std::uint32_t>& pixels)
{
    return std::hash<std::string_view>{}(std::string_view(
        reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof(std::uint32_t)));
}

TEST(Core, LoadsWithNoContentAndTellsTheFrontendWhatItIs)
{
    CoreHost core(BLOCKDROP_CORE);
    EXPECT_TRUE(core.no_game_supported());
    ASSERT_TRUE(core.load());
    const retro_system_av_info info = core.av_info();
    EXPECT_EQ(info.geometry.base_width, 640U);
    EXPECT_EQ(info.geometry.base_height, 480U);
    EXPECT_FLOAT_EQ(info.geometry.aspect_ratio, 4.0F / 3.0F);
    EXPECT_DOUBLE_EQ(info.timing.fps, 60.0);
    std::map<std::pair<unsigned, unsigned>, std::string> named;
    for (const auto& descriptor : core.descriptors())
        named[{descriptor.device, descriptor.id}] = descriptor.description;
    for (const unsigned id : {RETRO_DEVICE_ID_JOYPAD_LEFT, RETRO_DEVICE_ID_JOYPAD_RIGHT,
                              RETRO_DEVICE_ID_JOYPAD_A, RETRO_DEVICE_ID_JOYPAD_B,
                              RETRO_DEVICE_ID_JOYPAD_START})
        EXPECT_TRUE(named.contains({RETRO_DEVICE_JOYPAD, id})) << "button " << id;
    EXPECT_TRUE(named.contains({RETRO_DEVICE_ANALOG, RETRO_DEVICE_ID_ANALOG_X}));

    // Kodi's add-on maps its controller onto the same buttons and stick,
    // and only those.
    const std::map<unsigned, std::string> joypad{
        {RETRO_DEVICE_ID_JOYPAD_LEFT, "JOYPAD_LEFT"}, {RETRO_DEVICE_ID_JOYPAD_RIGHT, "JOYPAD_RIGHT"},
        {RETRO_DEVICE_ID_JOYPAD_L, "JOYPAD_L"},       {RETRO_DEVICE_ID_JOYPAD_R, "JOYPAD_R"},
        {RETRO_DEVICE_ID_JOYPAD_A, "JOYPAD_A"},       {RETRO_DEVICE_ID_JOYPAD_B, "JOYPAD_B"},
        {RETRO_DEVICE_ID_JOYPAD_START, "JOYPAD_START"}};
    std::set<std::string> described;
    for (const auto& descriptor : core.descriptors())
        described.insert(descriptor.device == RETRO_DEVICE_ANALOG
                             ? "RETRO_DEVICE_INDEX_ANALOG_" +
                                   std::string(descriptor.index == RETRO_DEVICE_INDEX_ANALOG_LEFT ? "LEFT"
                                                                                                  : "RIGHT")
                             : "RETRO_DEVICE_ID_" + joypad.at(descriptor.id));
    std::ifstream file(BLOCKDROP_KODI_BUTTONMAP);
    const std::string buttonmap{std::istreambuf_iterator<char>(file), {}};
    const std::regex mapto(R"re(mapto="(\w+)")re");
    std::set<std::string> mapped;
    for (auto found = std::sregex_iterator(buttonmap.begin(), buttonmap.end(), mapto);
         found != std::sregex_iterator(); ++found)
        mapped.insert((*found)[1]);
    EXPECT_EQ(mapped, described);
}

TEST(Core, RefusesToLoadWhereItsFramesCannotBeShown)
{
    CoreHost core(BLOCKDROP_CORE, true);
    EXPECT_FALSE(core.load());
    EXPECT_FALSE(core.log().empty()) << "says why, through the frontend's log";
    // A frontend that runs it all the same gets no frame, and no crash.
    core.run();
    EXPECT_EQ(core.picture().width, 0);
}

// The frame count is the clock: a tick every 60 frames however fast the
// frontend runs them, shifts on a press and on the stick's push, and a held
// direction repeating as a held key does.
TEST(Core, TicksEverySixtyFramesAndShiftsOnThePad)
{
    CoreHost core(BLOCKDROP_CORE);
    ASSERT_TRUE(core.load());
    core.run(60);
    EXPECT_EQ(window_testing::pieces_of_new_game(board_of(core)), 0) << board_of(core);
    core.run();
    EXPECT_EQ(window_testing::pieces_of_new_game(board_of(core)), 1) << board_of(core);
    core.run(59);
    EXPECT_EQ(window_testing::pieces_of_new_game(board_of(core)), 1) << board_of(core);
    core.run();
    EXPECT_EQ(window_testing::pieces_of_new_game(board_of(core)), 2) << board_of(core);

    core.run(Held{button(RETRO_DEVICE_ID_JOYPAD_LEFT)});
    core.run(Held{});
    EXPECT_EQ(window_testing::bucket_position(board_of(core)), "left");
    core.run(Held{0, 32767});
    core.run(Held{0, 13000}); // inside the release point: still held, no new press
    core.run(Held{});
    EXPECT_EQ(window_testing::bucket_position(board_of(core)), "middle");
    // Held: a press, then repeats from the 15th frame, every 2.4 frames.
    core.run(16, Held{button(RETRO_DEVICE_ID_JOYPAD_RIGHT)});
    EXPECT_EQ(window_testing::bucket_position(board_of(core)), "right");
}

// Plays with no input until a box is up, looking at each tick's frame;
// false if none came.
bool play_until_box(CoreHost& core, int ticks)
{
    for (int tick = 0; tick < ticks; ++tick) {
        core.run(60);
        if (box_of(core) != Box::none)
            return true;
    }
    return false;
}

TEST(Core, CancelOnTheLossBoxAsksOnceToShutDownAndFramesGoOn)
{
    CoreHost core(BLOCKDROP_CORE);
    ASSERT_TRUE(core.load());
    ASSERT_TRUE(play_until_box(core, 400));
    ASSERT_EQ(box_of(core), Box::lost) << "a bucket left in the middle loses first";
    core.run(Held{button(RETRO_DEVICE_ID_JOYPAD_B)});
    EXPECT_EQ(core.shutdowns_asked(), 1);
    const std::uint64_t shown = core.frames_shown();
    core.run(120);
    EXPECT_EQ(core.shutdowns_asked(), 1) << "asked once";
    EXPECT_EQ(core.frames_shown(), shown + 120) << "a frontend that carries on gets frames";
    const Image ended = core.picture();
    EXPECT_TRUE(std::all_of(ended.pixels.begin(), ended.pixels.end(),
                            [](Rgb pixel) { return pixel == window_testing::background; }));
    // The frontend's restart plays a new game.
    core.reset();
    core.run(61);
    EXPECT_EQ(window_testing::pieces_of_new_game(board_of(core)), 1) << board_of(core);
}

// What the player does in a frame of random play: the pad's buttons and
// stick changing now and then, and taps where the boxes' buttons are.
class RandomPlayer {
public:
    explicit RandomPlayer(unsigned seed) : random_(seed) {}
    Held next()
    {
        if (std::uniform_int_distribution(0, 9)(random_) == 0) {
            const int pick = std::uniform_int_distribution(0, 11)(random_);
            held_ = Held{};
            if (pick < 6)
                held_.buttons = button(pick < 3 ? RETRO_DEVICE_ID_JOYPAD_LEFT
                                                : RETRO_DEVICE_ID_JOYPAD_RIGHT);
            else if (pick == 6)
                held_.buttons = button(RETRO_DEVICE_ID_JOYPAD_A);
            else if (pick == 7)
                held_.buttons = button(RETRO_DEVICE_ID_JOYPAD_START);
            else if (pick == 8)
                held_.stick_x = static_cast<std::int16_t>(
                    std::uniform_int_distribution(-32767, 32767)(random_));
            else if (pick == 9) {
                // A tap on the loss box's OK, where it would be.
                held_.pointer_down = true;
                held_.pointer_x = 0x2000;
                held_.pointer_y = static_cast<std::int16_t>(
                    std::uniform_int_distribution(-0x7FFF, 0x7FFF)(random_));
            }
        }
        return held_;
    }

private:
    std::mt19937 random_;
    Held held_;
};

// Save states, rewind and run-ahead: a state saved at any frame, with a box
// up or not, restored and played on with the same input gives the same
// frames, bit for bit.
TEST(CoreStates, PlayedAgainFromAnySavedFrameTheFramesAreTheSame)
{
    constexpr int frames = 20000;
    constexpr int replayed = 150;
    CoreHost core(BLOCKDROP_CORE);
    ASSERT_TRUE(core.load());
    RandomPlayer player(20261210);
    std::mt19937 when(7);
    std::vector<Held> inputs;
    std::vector<std::size_t> hashes(frames);
    int watched_until = 0; // frames to compare: those after a saved state
    std::vector<std::pair<int, std::vector<unsigned char>>> states;
    int with_box = 0;
    int boxes_seen = 0;
    Box was = Box::none;
    for (int frame = 0; frame < frames; ++frame) {
        const Box up = frame % 30 == 0 ? box_of(core) : was;
        boxes_seen += up != Box::none && was == Box::none;
        if (frame == 0 || (up != Box::none && up != was) ||
            std::uniform_int_distribution(0, 999)(when) == 0) {
            states.emplace_back(frame, core.save());
            with_box += up != Box::none;
            watched_until = frame + replayed;
        }
        was = up;
        inputs.push_back(player.next());
        core.keep_frames(frame < watched_until || (frame + 1) % 30 == 0);
        core.run(inputs.back());
        if (frame < watched_until)
            hashes[static_cast<std::size_t>(frame)] = hash(core.pixels());
    }
    ASSERT_GE(boxes_seen, 3) << "random play meets the boxes";
    ASSERT_GE(with_box, 3);
    ASSERT_GE(states.size() - static_cast<std::size_t>(with_box), 10U);
    core.keep_frames(true);
    for (const auto& [frame, state] : states) {
        ASSERT_TRUE(core.restore(state)) << "frame " << frame;
        for (int at = frame; at < std::min(frame + replayed, frames); ++at) {
            core.run(inputs[static_cast<std::size_t>(at)]);
            ASSERT_EQ(hash(core.pixels()), hashes[static_cast<std::size_t>(at)])
                << "played again from frame " << frame << ", frame " << at << " differs";
        }
    }
}

// A state the game did not save, or one from another version, is refused
// with the game left as it was: a bad file cannot crash it or spoil it.
TEST(CoreStates, AStateItCouldNotHaveSavedIsRefusedAndTheGamePlaysOn)
{
    CoreHost core(BLOCKDROP_CORE);
    ASSERT_TRUE(core.load());
    ASSERT_TRUE(play_until_box(core, 400));
    const std::vector<unsigned char> good = core.save();
    const auto spoilt = [&](std::size_t at, unsigned char value) {
        std::vector<unsigned char> state = good;
        state.at(at) = value;
        return state;
    };
    std::vector<std::vector<unsigned char>> bad = {
        spoilt(0, 'X'),                   // the tag
        spoilt(4, 2),                     // the version
        spoilt(20, 1),                    // a frame count past two years
        spoilt(24, 2),                    // a flag neither 0 nor 1
        spoilt(77, 9),                    // a colour the board has not
        spoilt(76 + 2 * 50, 0),           // a cell under the box its tick did not leave
        std::vector<unsigned char>(good.begin(), good.end() - 1),
    };
    core.run(Held{button(RETRO_DEVICE_ID_JOYPAD_A)});
    core.run(30);
    const std::vector<unsigned char> before = core.save();
    for (const auto& state : bad) {
        EXPECT_FALSE(core.restore(state));
        EXPECT_EQ(core.save(), before) << "the game changed";
    }
    ASSERT_TRUE(core.restore(good));
    core.run();
    EXPECT_EQ(box_of(core), Box::lost) << "a good state restores with its box up";
}

// Whatever bytes a state holds, the core takes them or refuses them and
// plays on: states spoilt at random, with a box up and without, each played
// on for two seconds of random input where it is taken.
TEST(CoreStates, ASpoiltStateNeverStopsTheGame)
{
    CoreHost core(BLOCKDROP_CORE);
    ASSERT_TRUE(core.load());
    const std::vector<unsigned char> playing = core.save();
    ASSERT_TRUE(play_until_box(core, 400));
    const std::vector<unsigned char> boxed = core.save();
    core.keep_frames(false);
    std::mt19937 random(41);
    RandomPlayer player(43);
    int taken = 0;
    for (int spoil = 0; spoil < 1000; ++spoil) {
        std::vector<unsigned char> state = spoil % 2 == 0 ? playing : boxed;
        for (int byte = std::uniform_int_distribution(1, 3)(random); byte > 0; --byte)
            state[std::uniform_int_distribution<std::size_t>(0, state.size() - 1)(random)] =
                static_cast<unsigned char>(std::uniform_int_distribution(0, 255)(random));
        if (!core.restore(state))
            continue;
        ++taken;
        for (int frame = 0; frame < 120; ++frame)
            core.run(player.next());
    }
    EXPECT_GT(taken, 100) << "most single spoilt bytes are a time or a cell, which a game may hold";
    EXPECT_LT(taken, 1000) << "some spoilt bytes are caught";
}

} // namespace
} // namespace blockdrop::libretro_testing
