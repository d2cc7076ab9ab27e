#include "shell/desktop/pads/device_watch.hpp"

#include <array>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

namespace blockdrop {
namespace {

struct Watch {
    int fd;
    Uint32 type;
};

int watch_thread(void* data)
{
    const std::unique_ptr<Watch> watch(static_cast<Watch*>(data));
    std::array<char, 4096> buffer{};
    while (read(watch->fd, buffer.data(), buffer.size()) > 0) {
        SDL_Event event{};
        event.type = watch->type;
        SDL_PushEvent(&event);
    }
    close(watch->fd);
    return 0;
}

} // namespace

Uint32 watch_input_devices()
{
    const Uint32 type = SDL_RegisterEvents(1);
    const int fd = type == static_cast<Uint32>(-1) ? -1 : inotify_init1(IN_CLOEXEC);
    if (fd < 0)
        return 0;
    auto* watch = new Watch{fd, type};
    SDL_Thread* thread = nullptr;
    if (inotify_add_watch(fd, "/dev/input", IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO) >= 0)
        thread = SDL_CreateThread(watch_thread, "blockdrop-pads", watch);
    if (thread == nullptr) {
        delete watch;
        close(fd);
        return 0;
    }
    // It lives as long as the game, which ends with _Exit.
    SDL_DetachThread(thread);
    return type;
}

} // namespace blockdrop
