// The libretro entry points: the frontend (RetroArch, Kodi, GNOME Games)
// loads the core, owns the loop and calls for one frame at a time.
#include "shell/libretro/core_frame.hpp"
#include "shell/libretro/core_game.hpp"
#include "shell/pad_marks.hpp"
#include "shell/test_build.hpp"

#include <libretro.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace blockdrop;
using namespace blockdrop::libretro;

// The frame's audio: silence at this rate, which frontends that keep time
// by their audio can follow.
constexpr unsigned sample_rate = 48000;
constexpr std::size_t samples_per_frame = sample_rate / frames_per_second;

// The frontend's calls, as it hands them over.
struct Frontend {
    retro_environment_t environment = nullptr;
    retro_video_refresh_t video = nullptr;
    retro_audio_sample_batch_t audio = nullptr;
    retro_input_poll_t poll = nullptr;
    retro_input_state_t input = nullptr;
    retro_log_printf_t log = nullptr;
};

// A game from its load to its unload.
struct Session {
    explicit Session(std::uint64_t seed) : core(game, seed) {}
    GameState game;
    CoreGame core;
    BakedFont font;
    std::vector<std::uint32_t> pixels =
        std::vector<std::uint32_t>(static_cast<std::size_t>(frame_size.width) * frame_size.height);
    std::vector<std::int16_t> silence = std::vector<std::int16_t>(2 * samples_per_frame);
    bool shutdown_asked = false;
    // What the pixels show, so that a frame like the last is not drawn
    // again: most frames change nothing.
    struct Shown {
        Form1 board;
        std::optional<std::string_view> box;
        bool ended = false;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::optional<Shown> shown;
};

// The libretro interface calls plain functions with no context of the
// caller's, so what the core keeps between them lives here: one frontend,
// one game at a time.
Frontend frontend;
std::unique_ptr<Session> session;

void log(retro_log_level level, const char* text)
{
    if (frontend.log != nullptr)
        frontend.log(level, "[blockdrop] %s\n", text);
}

FrameInput read_input()
{
    const auto button = [](unsigned id) { return frontend.input(0, RETRO_DEVICE_JOYPAD, 0, id) != 0; };
    FrameInput input;
    input.pad.dpad_left = button(RETRO_DEVICE_ID_JOYPAD_LEFT);
    input.pad.dpad_right = button(RETRO_DEVICE_ID_JOYPAD_RIGHT);
    input.pad.shoulder_left = button(RETRO_DEVICE_ID_JOYPAD_L);
    input.pad.shoulder_right = button(RETRO_DEVICE_ID_JOYPAD_R);
    input.pad.a = button(RETRO_DEVICE_ID_JOYPAD_A);
    input.pad.b = button(RETRO_DEVICE_ID_JOYPAD_B);
    input.pad.start = button(RETRO_DEVICE_ID_JOYPAD_START);
    input.pad.stick_x = frontend.input(0, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT,
                                       RETRO_DEVICE_ID_ANALOG_X) /
                        32767.0;
    input.pointer_down = frontend.input(0, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_PRESSED) != 0;
    // The pointer's -0x7FFF to 0x7FFF across the frame, in its pixels.
    const auto pixel = [](int at, int size) { return (at + 0x7FFF) * size / 0xFFFE; };
    input.point.x = pixel(frontend.input(0, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_X),
                          frame_size.width);
    input.point.y = pixel(frontend.input(0, RETRO_DEVICE_POINTER, 0, RETRO_DEVICE_ID_POINTER_Y),
                          frame_size.height);
    return input;
}

void draw(Session& game)
{
    const auto& up = game.core.box();
    Session::Shown now{game.core.shown(), up ? std::optional(up->prompt) : std::nullopt,
                       game.core.ended()};
    if (game.shown == now)
        return;
    game.shown = now;
    if (game.core.ended()) {
        draw_ended(game.pixels.data());
        return;
    }
    std::optional<BoxText> box;
    if (up)
        // The RetroPad's own labels beside OK and Cancel: A and B.
        box = BoxText{up->title, up->prompt, up->buttons, PadMarks{}};
    draw_frame(game.pixels.data(), game.core.shown(), box, game.font);
}

} // namespace

extern "C" {

RETRO_API unsigned retro_api_version(void)
{
    return RETRO_API_VERSION;
}

RETRO_API void retro_set_environment(retro_environment_t environment)
{
    frontend.environment = environment;
    bool no_game = true;
    environment(RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME, &no_game);
    retro_log_callback logging{};
    frontend.log = environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &logging) ? logging.log : nullptr;
    // One RetroPad, the mouse and touch through the pointer.
    static const retro_controller_description pads[] = {
        {"RetroPad", RETRO_DEVICE_JOYPAD}, {"RetroPad with analog", RETRO_DEVICE_ANALOG}};
    static const retro_controller_info ports[] = {{pads, 2}, {nullptr, 0}};
    environment(RETRO_ENVIRONMENT_SET_CONTROLLER_INFO, const_cast<retro_controller_info*>(ports));
}

RETRO_API void retro_set_video_refresh(retro_video_refresh_t video)
{
    frontend.video = video;
}

RETRO_API void retro_set_audio_sample(retro_audio_sample_t /*sample*/) {}

RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t audio)
{
    frontend.audio = audio;
}

RETRO_API void retro_set_input_poll(retro_input_poll_t poll)
{
    frontend.poll = poll;
}

RETRO_API void retro_set_input_state(retro_input_state_t input)
{
    frontend.input = input;
}

RETRO_API void retro_init(void) {}

RETRO_API void retro_deinit(void)
{
    session.reset();
}

RETRO_API void retro_get_system_info(retro_system_info* info)
{
    std::memset(info, 0, sizeof *info);
    info->library_name = "Block Drop";
    info->library_version = BLOCKDROP_VERSION;
    info->valid_extensions = "";
    info->need_fullpath = false;
    info->block_extract = false;
}

RETRO_API void retro_get_system_av_info(retro_system_av_info* info)
{
    std::memset(info, 0, sizeof *info);
    info->geometry.base_width = static_cast<unsigned>(frame_size.width);
    info->geometry.base_height = static_cast<unsigned>(frame_size.height);
    info->geometry.max_width = static_cast<unsigned>(frame_size.width);
    info->geometry.max_height = static_cast<unsigned>(frame_size.height);
    info->geometry.aspect_ratio = static_cast<float>(frame_size.width) / frame_size.height;
    info->timing.fps = frames_per_second;
    info->timing.sample_rate = sample_rate;
}

RETRO_API void retro_set_controller_port_device(unsigned /*port*/, unsigned /*device*/) {}

RETRO_API void retro_reset(void)
{
    if (!session)
        return;
    session->core.start();
    session->shutdown_asked = false;
}

RETRO_API bool retro_load_game(const retro_game_info* /*game*/)
{
    retro_pixel_format format = RETRO_PIXEL_FORMAT_XRGB8888;
    if (!frontend.environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format)) {
        log(RETRO_LOG_ERROR, "the frontend cannot take XRGB8888 frames");
        return false;
    }
    static const retro_input_descriptor descriptors[] = {
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_LEFT, "Bucket left"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_RIGHT, "Bucket right"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_L, "Bucket left"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_R, "Bucket right"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_A, "OK"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_START, "OK"},
        {0, RETRO_DEVICE_JOYPAD, 0, RETRO_DEVICE_ID_JOYPAD_B, "Cancel (OK on the win box)"},
        {0, RETRO_DEVICE_ANALOG, RETRO_DEVICE_INDEX_ANALOG_LEFT, RETRO_DEVICE_ID_ANALOG_X,
         "Bucket left / right"},
        {0, 0, 0, 0, nullptr},
    };
    frontend.environment(RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS,
                         const_cast<retro_input_descriptor*>(descriptors));
    // The one seed the game takes from outside, the time of its load: its
    // frames give the rest.
    session = std::make_unique<Session>(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    prepare_test_build(session->core);
    session->core.start();
    return true;
}

RETRO_API bool retro_load_game_special(unsigned /*type*/, const retro_game_info* /*info*/,
                                        size_t /*count*/)
{
    return false;
}

RETRO_API void retro_unload_game(void)
{
    session.reset();
}

RETRO_API unsigned retro_get_region(void)
{
    return RETRO_REGION_NTSC;
}

RETRO_API void retro_run(void)
{
    // Only after a load that succeeded, but a frontend may call it anyway.
    if (!session)
        return;
    frontend.poll();
    Session& game = *session;
    game.core.run_frame(read_input());
    // Cancel on the loss box: the frontend is asked once to close the core;
    // one that does not is shown the ended game's frame until it unloads it.
    if (game.core.ended() && !game.shutdown_asked) {
        game.shutdown_asked = true;
        log(RETRO_LOG_INFO, "the player has quit");
        frontend.environment(RETRO_ENVIRONMENT_SHUTDOWN, nullptr);
    }
    draw(game);
    frontend.video(game.pixels.data(), static_cast<unsigned>(frame_size.width),
                   static_cast<unsigned>(frame_size.height),
                   static_cast<std::size_t>(frame_size.width) * sizeof(std::uint32_t));
    if (frontend.audio != nullptr)
        frontend.audio(game.silence.data(), samples_per_frame);
}

RETRO_API size_t retro_serialize_size(void)
{
    return CoreGame::state_size;
}

RETRO_API bool retro_serialize(void* data, size_t size)
{
    if (!session || size < CoreGame::state_size)
        return false;
    session->core.save(static_cast<unsigned char*>(data));
    return true;
}

RETRO_API bool retro_unserialize(const void* data, size_t size)
{
    if (!session || size < CoreGame::state_size)
        return false;
    const bool restored =
        session->core.restore(static_cast<const unsigned char*>(data), CoreGame::state_size);
    if (!restored)
        log(RETRO_LOG_WARN, "a state this game did not save: left as it was");
    // A state from before the player quit plays again.
    session->shutdown_asked = session->core.ended();
    return restored;
}

RETRO_API void retro_cheat_reset(void) {}

RETRO_API void retro_cheat_set(unsigned /*index*/, bool /*enabled*/, const char* /*code*/) {}

RETRO_API void* retro_get_memory_data(unsigned /*id*/)
{
    return nullptr;
}

RETRO_API size_t retro_get_memory_size(unsigned /*id*/)
{
    return 0;
}

} // extern "C"
