#pragma once

#include "tests/on_screen/x_session.hpp"

#include <libretro.h>

#include <cstdint>
#include <string>
#include <vector>

namespace blockdrop::libretro_testing {

using window_testing::Image;
using window_testing::Rgb;

// What the player holds in a frame, as a frontend hands it to the core: the
// RetroPad's buttons (a bit per RETRO_DEVICE_ID_JOYPAD_*), the left stick's
// x, and the pointer (x and y from -0x7FFF to 0x7FFF across the frame).
struct Held {
    std::uint32_t buttons = 0;
    std::int16_t stick_x = 0;
    bool pointer_down = false;
    std::int16_t pointer_x = 0;
    std::int16_t pointer_y = 0;

    friend bool operator==(const Held&, const Held&) = default;
};

inline std::uint32_t button(unsigned id)
{
    return 1u << id;
}

// A frontend of our own for tests: loads a core with dlopen, answers its
// environment calls as the libretro header says a frontend does, and runs
// it a frame at a time, keeping each frame's picture. One at a time: the
// core's callbacks carry no context.
class CoreHost {
public:
    // `refuse_xrgb`: a frontend that cannot take XRGB8888 frames.
    explicit CoreHost(const std::string& core, bool refuse_xrgb = false);
    ~CoreHost();
    CoreHost(const CoreHost&) = delete;
    CoreHost& operator=(const CoreHost&) = delete;

    // retro_load_game with no content; what the core answered.
    bool load();
    // retro_reset: the frontend's restart.
    void reset();
    // One retro_run with `held`.
    void run(const Held& held = {});
    void run(int frames, const Held& held = {});

    // Whether the frames are kept (the default): a long run that looks at
    // few of them can spare the copying.
    void keep_frames(bool keep) { keep_frames_ = keep; }
    // The last frame kept's picture, and its raw pixels to compare bit for
    // bit.
    Image picture() const;
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    std::uint64_t frames_shown() const { return frames_shown_; }

    std::vector<unsigned char> save() const;
    bool restore(const std::vector<unsigned char>& state);

    retro_system_av_info av_info() const;
    const std::vector<retro_input_descriptor>& descriptors() const { return descriptors_; }
    bool no_game_supported() const { return no_game_; }
    int shutdowns_asked() const { return shutdowns_; }
    const std::vector<std::string>& log() const { return log_; }
    // retro_unload_game and retro_deinit, as a frontend closing the core.
    void unload();
    bool loaded() const { return loaded_; }

private:
    template <class Function> Function entry(const char* name) const;
    static bool environment(unsigned command, void* data);
    static void video(const void* data, unsigned width, unsigned height, std::size_t pitch);
    static std::int16_t input(unsigned port, unsigned device, unsigned index, unsigned id);
    static void log_line(retro_log_level level, const char* format, ...);

    void* library_ = nullptr;
    bool refuse_xrgb_;
    bool keep_frames_ = true;
    bool loaded_ = false;
    bool no_game_ = false;
    bool xrgb_ = false;
    int shutdowns_ = 0;
    Held held_;
    unsigned width_ = 0;
    unsigned height_ = 0;
    std::vector<std::uint32_t> pixels_;
    std::uint64_t frames_shown_ = 0;
    std::vector<retro_input_descriptor> descriptors_;
    std::vector<std::string> descriptor_texts_;
    std::vector<std::string> log_;
};

} // namespace blockdrop::libretro_testing
