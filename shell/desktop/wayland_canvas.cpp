#include "shell/desktop/wayland_canvas.hpp"

#include <SDL_syswm.h>

#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace blockdrop {

namespace {

// One shared-memory buffer, wrapped as an SDL surface to draw on. The
// compositor reads it until it sends release.
struct ShmBuffer {
    wl_buffer* buffer = nullptr;
    void* data = MAP_FAILED;
    std::size_t size = 0;
    SDL_Surface* surface = nullptr;
    bool busy = false;

    ShmBuffer() = default;
    ~ShmBuffer()
    {
        SDL_FreeSurface(surface);
        if (buffer != nullptr)
            wl_buffer_destroy(buffer);
        if (data != MAP_FAILED)
            munmap(data, size);
    }
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;
};

void released(void* data, wl_buffer* /*buffer*/)
{
    static_cast<ShmBuffer*>(data)->busy = false;
}

constexpr wl_buffer_listener buffer_listener{released};

// What the registry gives us: shared memory, and the outputs with their
// scales.
struct Globals {
    wl_shm* shm = nullptr;
    std::vector<std::pair<wl_output*, std::int32_t>> outputs;
};

void output_geometry(void* /*data*/, wl_output* /*output*/, std::int32_t /*x*/, std::int32_t /*y*/,
                     std::int32_t /*width_mm*/, std::int32_t /*height_mm*/,
                     std::int32_t /*subpixel*/, const char* /*make*/, const char* /*model*/,
                     std::int32_t /*transform*/)
{
}

void output_mode(void* /*data*/, wl_output* /*output*/, std::uint32_t /*flags*/,
                 std::int32_t /*width*/, std::int32_t /*height*/, std::int32_t /*refresh*/)
{
}

void output_done(void* /*data*/, wl_output* /*output*/) {}

void output_scale(void* data, wl_output* output, std::int32_t factor)
{
    for (auto& [known, scale] : static_cast<Globals*>(data)->outputs) {
        if (known == output)
            scale = factor;
    }
}

void output_text(void* /*data*/, wl_output* /*output*/, const char* /*text*/) {}

constexpr wl_output_listener output_listener{output_geometry, output_mode, output_done,
                                             output_scale,    output_text, output_text};

void announced(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        globals->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= 2) {
        auto* output =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
        globals->outputs.emplace_back(output, 1);
        wl_output_add_listener(output, &output_listener, globals);
    }
}

void withdrawn(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

constexpr wl_registry_listener registry_listener{announced, withdrawn};

// Two buffers let one be drawn while the compositor holds the other; a
// third covers a compositor slow to release.
constexpr std::size_t most_buffers = 3;

class WaylandCanvas final : public Canvas {
public:
    WaylandCanvas(wl_display* display, wl_surface* surface)
        : display_(display), surface_(surface), queue_(wl_display_create_queue(display))
    {
        // The buffers' events go to a queue of our own, so SDL's event pump
        // never sees them and ours never sees SDL's.
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
            throw std::runtime_error("the Wayland compositor offers no shared memory (wl_shm)");
        }
    }

    ~WaylandCanvas() override
    {
        buffers_.clear();
        for (const auto& output : globals_.outputs)
            wl_output_destroy(output.first);
        wl_shm_destroy(globals_.shm);
        wl_registry_destroy(registry_);
        wl_event_queue_destroy(queue_);
    }

    // The largest scale of the outputs: crisp on every one, reduced by the
    // compositor where it is less. SDL's own figure is read when the window
    // is made and missed later changes.
    int buffer_scale() override
    {
        wl_display_dispatch_queue_pending(display_, queue_);
        int largest = 1;
        for (const auto& output : globals_.outputs)
            largest = std::max(largest, static_cast<int>(output.second));
        return largest;
    }
    WaylandCanvas(const WaylandCanvas&) = delete;
    WaylandCanvas& operator=(const WaylandCanvas&) = delete;

    SDL_Surface* begin(int width, int height) override
    {
        wl_display_dispatch_queue_pending(display_, queue_);
        // Buffers of another size are left over from another scale.
        std::erase_if(buffers_, [&](const std::unique_ptr<ShmBuffer>& buffer) {
            return buffer->surface->w != width || buffer->surface->h != height;
        });
        current_ = free_buffer();
        if (current_ == nullptr && buffers_.size() == most_buffers) {
            wl_display_roundtrip_queue(display_, queue_);
            current_ = free_buffer();
        }
        if (current_ == nullptr && buffers_.size() < most_buffers)
            current_ = add_buffer(width, height);
        return current_ != nullptr ? current_->surface : nullptr;
    }

    void show(int buffer_scale) override
    {
        if (current_ == nullptr)
            return;
        wl_surface_set_buffer_scale(surface_, buffer_scale);
        wl_surface_attach(surface_, current_->buffer, 0, 0);
        wl_surface_damage(surface_, 0, 0, std::numeric_limits<std::int32_t>::max(),
                          std::numeric_limits<std::int32_t>::max());
        wl_surface_commit(surface_);
        current_->busy = true;
        current_ = nullptr;
        wl_display_flush(display_);
    }

private:
    ShmBuffer* free_buffer() const
    {
        for (const auto& buffer : buffers_) {
            if (!buffer->busy)
                return buffer.get();
        }
        return nullptr;
    }

    ShmBuffer* add_buffer(int width, int height)
    {
        auto made = std::make_unique<ShmBuffer>();
        const int stride = width * 4;
        made->size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
        const int file = memfd_create("blockdrop", MFD_CLOEXEC);
        if (file < 0 || ftruncate(file, static_cast<off_t>(made->size)) != 0) {
            if (file >= 0)
                close(file);
            SDL_SetError("cannot make a shared-memory buffer of %dx%d", width, height);
            return nullptr;
        }
        made->data = mmap(nullptr, made->size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (made->data == MAP_FAILED) {
            close(file);
            SDL_SetError("cannot map a shared-memory buffer of %dx%d", width, height);
            return nullptr;
        }
        wl_shm_pool* pool =
            wl_shm_create_pool(globals_.shm, file, static_cast<std::int32_t>(made->size));
        made->buffer =
            wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(file);
        wl_buffer_add_listener(made->buffer, &buffer_listener, made.get());
        made->surface = SDL_CreateRGBSurfaceWithFormatFrom(made->data, width, height, 32, stride,
                                                           SDL_PIXELFORMAT_XRGB8888);
        if (made->surface == nullptr)
            return nullptr;
        buffers_.push_back(std::move(made));
        return buffers_.back().get();
    }

    wl_display* display_;
    wl_surface* surface_;
    wl_event_queue* queue_;
    wl_registry* registry_ = nullptr;
    Globals globals_;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    ShmBuffer* current_ = nullptr;
};

} // namespace

std::unique_ptr<Canvas> wayland_canvas(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_WAYLAND)
        return nullptr;
    return std::make_unique<WaylandCanvas>(info.info.wl.display, info.info.wl.surface);
}

} // namespace blockdrop
