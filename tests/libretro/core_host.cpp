#include "tests/libretro/core_host.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <stdexcept>

namespace blockdrop::libretro_testing {

namespace {

CoreHost* current = nullptr;

} // namespace

template <class Function> Function CoreHost::entry(const char* name) const
{
    void* found = dlsym(library_, name);
    if (found == nullptr)
        throw std::runtime_error(std::string("the core has no ") + name);
    return reinterpret_cast<Function>(found);
}

CoreHost::CoreHost(const std::string& core, bool refuse_xrgb) : refuse_xrgb_(refuse_xrgb)
{
    if (current != nullptr)
        throw std::logic_error("one core host at a time");
    library_ = dlopen(core.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr)
        throw std::runtime_error(std::string("cannot load the core: ") + dlerror());
    current = this;
    if (entry<unsigned (*)()>("retro_api_version")() != RETRO_API_VERSION)
        throw std::runtime_error("the core speaks another libretro version");
    entry<void (*)(retro_environment_t)>("retro_set_environment")(&CoreHost::environment);
    entry<void (*)(retro_video_refresh_t)>("retro_set_video_refresh")(&CoreHost::video);
    entry<void (*)(retro_audio_sample_t)>("retro_set_audio_sample")([](std::int16_t, std::int16_t) {});
    entry<void (*)(retro_audio_sample_batch_t)>("retro_set_audio_sample_batch")(
        [](const std::int16_t*, std::size_t frames) { return frames; });
    entry<void (*)(retro_input_poll_t)>("retro_set_input_poll")([] {});
    entry<void (*)(retro_input_state_t)>("retro_set_input_state")(&CoreHost::input);
    entry<void (*)()>("retro_init")();
}

CoreHost::~CoreHost()
{
    unload();
    dlclose(library_);
    current = nullptr;
}

void CoreHost::unload()
{
    if (!loaded_)
        return;
    entry<void (*)()>("retro_unload_game")();
    entry<void (*)()>("retro_deinit")();
    loaded_ = false;
}

bool CoreHost::load()
{
    loaded_ = entry<bool (*)(const retro_game_info*)>("retro_load_game")(nullptr);
    return loaded_;
}

void CoreHost::reset()
{
    entry<void (*)()>("retro_reset")();
}

void CoreHost::run(const Held& held)
{
    held_ = held;
    entry<void (*)()>("retro_run")();
}

void CoreHost::run(int frames, const Held& held)
{
    for (int frame = 0; frame < frames; ++frame)
        run(held);
}

Image CoreHost::picture() const
{
    Image image{static_cast<int>(width_), static_cast<int>(height_), {}};
    image.pixels.reserve(pixels_.size());
    for (const std::uint32_t pixel : pixels_)
        image.pixels.push_back(Rgb{static_cast<int>(pixel >> 16 & 0xFF),
                                   static_cast<int>(pixel >> 8 & 0xFF), static_cast<int>(pixel & 0xFF)});
    return image;
}

std::vector<unsigned char> CoreHost::save() const
{
    std::vector<unsigned char> state(entry<std::size_t (*)()>("retro_serialize_size")());
    if (!entry<bool (*)(void*, std::size_t)>("retro_serialize")(state.data(), state.size()))
        state.clear();
    return state;
}

bool CoreHost::restore(const std::vector<unsigned char>& state)
{
    return entry<bool (*)(const void*, std::size_t)>("retro_unserialize")(state.data(), state.size());
}

retro_system_av_info CoreHost::av_info() const
{
    retro_system_av_info info{};
    entry<void (*)(retro_system_av_info*)>("retro_get_system_av_info")(&info);
    return info;
}

bool CoreHost::environment(unsigned command, void* data)
{
    CoreHost& host = *current;
    switch (command) {
    case RETRO_ENVIRONMENT_SET_SUPPORT_NO_GAME:
        host.no_game_ = *static_cast<const bool*>(data);
        return true;
    case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
        static_cast<retro_log_callback*>(data)->log = &CoreHost::log_line;
        return true;
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
        host.xrgb_ = !host.refuse_xrgb_ &&
                     *static_cast<const retro_pixel_format*>(data) == RETRO_PIXEL_FORMAT_XRGB8888;
        return host.xrgb_;
    case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS: {
        host.descriptors_.clear();
        host.descriptor_texts_.clear();
        for (const auto* at = static_cast<const retro_input_descriptor*>(data); at->description;
             ++at) {
            host.descriptors_.push_back(*at);
            host.descriptor_texts_.emplace_back(at->description);
        }
        // The core's strings need only last the call.
        for (std::size_t i = 0; i < host.descriptors_.size(); ++i)
            host.descriptors_[i].description = host.descriptor_texts_[i].c_str();
        return true;
    }
    case RETRO_ENVIRONMENT_SET_CONTROLLER_INFO: return true;
    case RETRO_ENVIRONMENT_SHUTDOWN: ++host.shutdowns_; return true;
    default: return false;
    }
}

void CoreHost::video(const void* data, unsigned width, unsigned height, std::size_t pitch)
{
    CoreHost& host = *current;
    ++host.frames_shown_;
    if (data == nullptr || !host.keep_frames_) // a dupe: the last frame again
        return;
    host.width_ = width;
    host.height_ = height;
    host.pixels_.resize(static_cast<std::size_t>(width) * height);
    for (unsigned y = 0; y < height; ++y)
        std::memcpy(&host.pixels_[static_cast<std::size_t>(y) * width],
                    static_cast<const unsigned char*>(data) + y * pitch, width * sizeof(std::uint32_t));
}

std::int16_t CoreHost::input(unsigned port, unsigned device, unsigned index, unsigned id)
{
    const Held& held = current->held_;
    if (port != 0)
        return 0;
    switch (device) {
    case RETRO_DEVICE_JOYPAD: return static_cast<std::int16_t>(held.buttons >> id & 1u);
    case RETRO_DEVICE_ANALOG:
        if (index == RETRO_DEVICE_INDEX_ANALOG_LEFT && id == RETRO_DEVICE_ID_ANALOG_X)
            return held.stick_x;
        return 0;
    case RETRO_DEVICE_POINTER:
        if (id == RETRO_DEVICE_ID_POINTER_PRESSED)
            return static_cast<std::int16_t>(held.pointer_down);
        if (id == RETRO_DEVICE_ID_POINTER_X)
            return held.pointer_x;
        if (id == RETRO_DEVICE_ID_POINTER_Y)
            return held.pointer_y;
        return 0;
    default: return 0;
    }
}

void CoreHost::log_line(retro_log_level /*level*/, const char* format, ...)
{
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    current->log_.emplace_back(line);
}

} // namespace blockdrop::libretro_testing
