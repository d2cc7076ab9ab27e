#include "shell/desktop/display_server.hpp"
#include "shell/desktop/sdl_version.hpp"

#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <list>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace blockdrop {

namespace {

// A shared-memory buffer, an SDL surface while mapped; the compositor reads
// it until it sends release.
struct ShmBuffer {
    int file = -1;
    wl_buffer* buffer = nullptr;
    void* data = MAP_FAILED;
    std::size_t size = 0;
    int width = 0;
    int height = 0;
    SDL_Surface* surface = nullptr;
    bool busy = false;
    // Where it holds the picture, the background around it; none yet.
    std::optional<PixelRect> drawn_at;
    // The server's frame it holds the picture of; 0: none.
    std::uint64_t frame = 0;

    ShmBuffer() = default;
    ~ShmBuffer()
    {
        unmap();
        if (buffer != nullptr)
            wl_buffer_destroy(buffer);
        if (file >= 0)
            close(file);
    }
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    // Maps the memory to draw on; false when it cannot (SDL's error says why).
    bool map()
    {
        if (surface != nullptr)
            return true;
        data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (data == MAP_FAILED) {
            SDL_SetError("cannot map a shared-memory buffer of %dx%d", width, height);
            return false;
        }
        surface = SDL_CreateRGBSurfaceWithFormatFrom(data, width, height, 32, width * 4,
                                                     SDL_PIXELFORMAT_XRGB8888);
        if (surface == nullptr)
            unmap();
        return surface != nullptr;
    }

    // The memory stays in the file, for the compositor and the next map().
    void unmap()
    {
        SDL_FreeSurface(surface);
        surface = nullptr;
        if (data != MAP_FAILED)
            munmap(data, size);
        data = MAP_FAILED;
    }
};

void released(void* data, wl_buffer* /*buffer*/)
{
    static_cast<ShmBuffer*>(data)->busy = false;
}

constexpr wl_buffer_listener buffer_listener{released};

// An output as the registry names it, with its scale and description.
struct Output {
    wl_output* output;
    std::uint32_t name;
    std::int32_t scale;
    std::string description;
};

// Shared memory, and the outputs where the game sets its own scale (a list:
// each output's events point at its entry).
struct Globals {
    bool outputs_wanted = false;
    wl_shm* shm = nullptr;
    std::list<Output> outputs;
};

// Of an output, its scale and its description (which SDL names its display
// by) matter.
constexpr wl_output_listener output_listener{
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
       const char*, const char*, std::int32_t) {},
    [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {},
    [](void*, wl_output*) {},
    [](void* data, wl_output*, std::int32_t scale) { static_cast<Output*>(data)->scale = scale; },
    [](void*, wl_output*, const char*) {},
    [](void* data, wl_output*, const char* description) {
        static_cast<Output*>(data)->description = description;
    }};

void announced(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        globals->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (globals->outputs_wanted && std::strcmp(interface, wl_output_interface.name) == 0 &&
               version >= 2) {
        auto* output = static_cast<wl_output*>(
            wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 4u)));
        globals->outputs.push_back(Output{output, name, 1, {}});
        wl_output_add_listener(output, &output_listener, &globals->outputs.back());
    }
}

// An output unplugged no longer counts.
void withdrawn(void* data, wl_registry* /*registry*/, std::uint32_t name)
{
    std::erase_if(static_cast<Globals*>(data)->outputs, [&](const Output& known) {
        if (known.name == name)
            wl_output_destroy(known.output);
        return known.name == name;
    });
}

constexpr wl_registry_listener registry_listener{announced, withdrawn};

// At most this many buffers: while the compositor holds them all, pictures
// are skipped.
constexpr std::size_t most_buffers = 4;

class WaylandServer final : public DisplayServer {
public:
    WaylandServer(wl_display* display, wl_surface* surface, SDL_Window* window)
        : display_(display), surface_(surface), window_(window),
          queue_(wl_display_create_queue(display))
    {
        // From SDL 2.30.9 a viewport and the preferred scale, fractional too,
        // are SDL's; before, SDL misses a scale changed while the game runs.
        globals_.outputs_wanted = !sdl_at_least(2, 30, 9);
        // The buffers' events go to a queue of our own, apart from SDL's.
        auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
        wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue_);
        registry_ = wl_display_get_registry(wrapped);
        wl_proxy_wrapper_destroy(wrapped);
        wl_registry_add_listener(registry_, &registry_listener, &globals_);
        // The globals, then the outputs' scales.
        wl_display_roundtrip_queue(display_, queue_);
        wl_display_roundtrip_queue(display_, queue_);
        if (globals_.shm == nullptr) {
            wl_registry_destroy(registry_);
            wl_event_queue_destroy(queue_);
            throw std::runtime_error("cannot draw the window: the compositor has no wl_shm");
        }
    }

    ~WaylandServer() override
    {
        buffers_.clear();
        for (const Output& output : globals_.outputs)
            wl_output_destroy(output.output);
        wl_shm_destroy(globals_.shm);
        wl_registry_destroy(registry_);
        wl_event_queue_destroy(queue_);
    }

    // The scale of the output the window is on, where SDL knows which: it
    // takes the surface's own events, names each display by its output's
    // description, and puts the window at the corner of the one it entered
    // last. Before that, or once outputs have moved, the largest: crisp on
    // any.
    int buffer_scale() override
    {
        if (!globals_.outputs_wanted)
            return 0;
        wl_display_dispatch_queue_pending(display_, queue_);
        const int display = SDL_GetWindowDisplayIndex(window_);
        SDL_Rect bounds{};
        SDL_Point at{};
        SDL_GetWindowPosition(window_, &at.x, &at.y);
        const char* on =
            SDL_GetDisplayBounds(display, &bounds) == 0 && bounds.x == at.x && bounds.y == at.y
                ? SDL_GetDisplayName(display)
                : nullptr;
        int largest = 1;
        for (const Output& output : globals_.outputs) {
            if (on != nullptr && output.description == on)
                return output.scale;
            largest = std::max(largest, static_cast<int>(output.scale));
        }
        return largest;
    }

    WaylandServer(const WaylandServer&) = delete;
    WaylandServer& operator=(const WaylandServer&) = delete;

    // The buffer is the window's size: on Wayland it sets the window's.
    bool prepare(const PixelRect& /*at*/, PixelSize window) override
    {
        return take(window.width, window.height) != nullptr;
    }

    // The buffers take turns: each is brought up to date with what changed
    // in the frames since it was drawn, or drawn whole.
    bool show(const PixelRect& at, PixelSize window, int buffer_scale, const Painter& paint,
              const std::vector<PixelRect>& changed,
              const std::vector<Fill>* /*solid*/) override
    {
        ShmBuffer* drawn = take(window.width, window.height);
        if (drawn == nullptr)
            return false;
        ++frame_;
        changes_.push_back(changed);
        if (changes_.size() > most_buffers)
            changes_.pop_front();
        const std::uint64_t behind = frame_ - drawn->frame;
        // The background is drawn once for each buffer and place.
        const bool moved = drawn->drawn_at != at;
        const bool whole = moved || drawn->frame == 0 || behind > changes_.size();
        std::vector<PixelRect> parts;
        for (std::size_t i = changes_.size() - std::min<std::size_t>(behind, changes_.size());
             !whole && i < changes_.size(); ++i)
            parts.insert(parts.end(), changes_[i].begin(), changes_[i].end());
        bool painted = !whole || paint_placed(drawn->surface, at, moved, paint);
        for (const PixelRect& part : parts)
            painted = painted && paint_part(drawn->surface, at, part, paint);
        if (!painted) {
            drawn->frame = 0;
            return false;
        }
        drawn->drawn_at = at;
        drawn->frame = frame_;
        if (buffer_scale > 0)
            wl_surface_set_buffer_scale(surface_, buffer_scale);
        wl_surface_attach(surface_, drawn->buffer, 0, 0);
        // Only what is new, where the surface can say so in buffer pixels
        // (version 4); else the whole surface.
        const bool in_buffer_pixels =
            wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface_)) >= 4;
        if (!moved && in_buffer_pixels) {
            for (const PixelRect& part : changed)
                wl_surface_damage_buffer(surface_, at.x + part.x, at.y + part.y, part.width,
                                         part.height);
        } else
            wl_surface_damage(surface_, 0, 0, std::numeric_limits<std::int32_t>::max(),
                              std::numeric_limits<std::int32_t>::max());
        wl_surface_commit(surface_);
        drawn->busy = true;
        wl_display_flush(display_);
        return true;
    }

private:
    // A mapped buffer of this size the compositor has let go, made if need
    // be; null when none can be had (SDL's error says why). The buffers stay
    // mapped while they are of the window's size: mapped anew, every page a
    // paint touches would fault again, which costs more than the paint.
    ShmBuffer* take(int width, int height)
    {
        wl_display_dispatch_queue_pending(display_, queue_);
        ShmBuffer* ready = free_buffer(width, height);
        if (ready == nullptr && !buffers_.empty()) {
            wl_display_roundtrip_queue(display_, queue_);
            ready = free_buffer(width, height);
        }
        if (ready != nullptr)
            return ready->map() ? ready : nullptr;
        if (buffers_.size() >= most_buffers) {
            SDL_SetError("the Wayland compositor holds every buffer");
            return nullptr;
        }
        return add_buffer(width, height);
    }

    // Drops free buffers of another size; a free one of this size, the
    // mapped one first.
    ShmBuffer* free_buffer(int width, int height)
    {
        std::erase_if(buffers_, [&](const std::unique_ptr<ShmBuffer>& buffer) {
            return !buffer->busy && (buffer->width != width || buffer->height != height);
        });
        ShmBuffer* found = nullptr;
        for (const auto& buffer : buffers_) {
            if (!buffer->busy && (found == nullptr || buffer->surface != nullptr))
                found = buffer.get();
        }
        return found;
    }

    ShmBuffer* add_buffer(int width, int height)
    {
        auto made = std::make_unique<ShmBuffer>();
        made->width = width;
        made->height = height;
        made->size = static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height);
        made->file = memfd_create("blockdrop", MFD_CLOEXEC);
        if (made->file < 0 || ftruncate(made->file, static_cast<off_t>(made->size)) != 0) {
            SDL_SetError("cannot make a shared-memory buffer of %dx%d", width, height);
            return nullptr;
        }
        if (!made->map())
            return nullptr;
        wl_shm_pool* pool =
            wl_shm_create_pool(globals_.shm, made->file, static_cast<std::int32_t>(made->size));
        made->buffer =
            wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        wl_buffer_add_listener(made->buffer, &buffer_listener, made.get());
        buffers_.push_back(std::move(made));
        return buffers_.back().get();
    }

    wl_display* display_;
    wl_surface* surface_;
    SDL_Window* window_;
    wl_event_queue* queue_;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    std::uint64_t frame_ = 0;
    // What changed in each of the last frames, the newest last.
    std::deque<std::vector<PixelRect>> changes_;
};

} // namespace

std::unique_ptr<DisplayServer> wayland_server(wl_display* display, wl_surface* surface,
                                              SDL_Window* window)
{
    return std::make_unique<WaylandServer>(display, surface, window);
}

} // namespace blockdrop
