#include "shell/desktop/wayland/without_gl.hpp"

#include "shell/desktop/display_server.hpp"
#include "shell/desktop/sdl_version.hpp"

#include <SDL_vulkan.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

// The loader's entry point and instance extensions, all SDL calls; exported
// from the program by the linker.
namespace {

struct ExtensionProperties {
    char extension_name[256];
    std::uint32_t spec_version;
};

constexpr std::int32_t success = 0;
constexpr std::int32_t incomplete = 5;
constexpr std::array surface_extensions = {"VK_KHR_surface", "VK_KHR_wayland_surface"};

std::int32_t list_extensions(const char* layer, std::uint32_t* count,
                             ExtensionProperties* properties)
{
    if (layer != nullptr) {
        *count = 0;
        return success;
    }
    if (properties == nullptr) {
        *count = surface_extensions.size();
        return success;
    }
    const std::uint32_t given = std::min<std::uint32_t>(*count, surface_extensions.size());
    for (std::uint32_t i = 0; i < given; ++i) {
        properties[i] = ExtensionProperties{};
        std::strncpy(properties[i].extension_name, surface_extensions[i],
                     sizeof properties[i].extension_name - 1);
        properties[i].spec_version = 1;
    }
    *count = given;
    return given < surface_extensions.size() ? incomplete : success;
}

using Function = void (*)();

} // namespace

extern "C" Function vkGetInstanceProcAddr(void* instance, const char* name)
{
    if (instance == nullptr && name != nullptr &&
        std::strcmp(name, "vkEnumerateInstanceExtensionProperties") == 0)
        return reinterpret_cast<Function>(&list_extensions);
    return nullptr;
}

namespace blockdrop {

Uint32 flags_without_gl()
{
    if (current_video_driver() != VideoDriver::wayland)
        return 0;
    // SDL 2.30.0 stopped making every Wayland window a GL one.
    if (sdl_at_least(2, 30, 0))
        return 0;
    // An empty name opens the program itself, where the entry point is.
    return SDL_Vulkan_LoadLibrary("") == 0 ? SDL_WINDOW_VULKAN : 0;
}

void window_made_without_gl(Uint32 flags)
{
    if ((flags & SDL_WINDOW_VULKAN) != 0)
        SDL_Vulkan_UnloadLibrary();
}

} // namespace blockdrop
