#include "shell/desktop/pads/device_watch.hpp"

#include <array>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace blockdrop {

// What the game and the thread share; the thread keeps it alive while it
// runs (it lives as long as the game, which ends with _Exit).
struct DeviceWatch::Shared {
    Uint32 type = 0;
    int inotify = -1;
    // Written when the set of files changes, so that the thread looks again.
    int changed = -1;
    std::array<std::atomic<bool>, 2> pending{};
    std::mutex lock;
    std::map<SDL_JoystickID, int> files;
    // Files the game no longer watches, closed by the thread, which may be
    // polling them.
    std::vector<int> to_close;
    std::vector<SDL_JoystickID> dropped;

    ~Shared()
    {
        for (const int fd : {inotify, changed})
            if (fd >= 0)
                close(fd);
        for (const auto& [id, fd] : files)
            close(fd);
        for (const int fd : to_close)
            close(fd);
    }

    void push(Sint32 code)
    {
        if (pending[static_cast<std::size_t>(code)].exchange(true))
            return;
        SDL_Event event{};
        event.type = type;
        event.user.code = code;
        SDL_PushEvent(&event);
    }
};

namespace {

// Reads what there is; false once the file has nothing more to give (a
// device unplugged).
bool drain(int fd)
{
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got > 0)
            continue;
        return got < 0 && (errno == EAGAIN || errno == EINTR);
    }
}

int watch_thread(void* data)
{
    const std::shared_ptr<DeviceWatch::Shared> shared(
        std::move(*static_cast<std::shared_ptr<DeviceWatch::Shared>*>(data)));
    delete static_cast<std::shared_ptr<DeviceWatch::Shared>*>(data);
    for (;;) {
        std::vector<pollfd> polled{{shared->inotify, POLLIN, 0}, {shared->changed, POLLIN, 0}};
        {
            const std::lock_guard<std::mutex> held(shared->lock);
            for (const int fd : shared->to_close)
                close(fd);
            shared->to_close.clear();
            for (const auto& [id, fd] : shared->files)
                polled.push_back(pollfd{fd, POLLIN, 0});
        }
        if (poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        if (polled[0].revents != 0) {
            drain(shared->inotify);
            shared->push(DeviceWatch::devices_changed);
        }
        if (polled[1].revents != 0)
            drain(shared->changed);
        for (std::size_t i = 2; i < polled.size(); ++i) {
            if (polled[i].revents == 0)
                continue;
            shared->push(DeviceWatch::pad_input);
            if (drain(polled[i].fd) && (polled[i].revents & (POLLERR | POLLHUP | POLLNVAL)) == 0)
                continue;
            // Gone: polled no more, or it would wake the thread forever.
            const std::lock_guard<std::mutex> held(shared->lock);
            std::erase_if(shared->files, [&](const auto& file) {
                if (file.second != polled[i].fd)
                    return false;
                shared->to_close.push_back(file.second);
                shared->dropped.push_back(file.first);
                return true;
            });
        }
    }
}

} // namespace

DeviceWatch::DeviceWatch() : shared_(std::make_shared<Shared>())
{
    const Uint32 type = SDL_RegisterEvents(1);
    shared_->changed = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (type == static_cast<Uint32>(-1) || shared_->changed < 0)
        return;
    // A system without /dev/input (a container) has no device to come; the
    // pads' files are watched all the same.
    shared_->inotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (shared_->inotify >= 0 &&
        inotify_add_watch(shared_->inotify, "/dev/input",
                          IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO) < 0) {
        close(shared_->inotify);
        shared_->inotify = -1;
    }
    shared_->type = type;
    auto* handed = new std::shared_ptr<Shared>(shared_);
    SDL_Thread* thread = SDL_CreateThread(watch_thread, "blockdrop-pads", handed);
    if (thread == nullptr) {
        delete handed;
        shared_->type = 0;
        return;
    }
    SDL_DetachThread(thread);
}

DeviceWatch::~DeviceWatch() = default;

Uint32 DeviceWatch::type() const
{
    return shared_->type;
}

bool DeviceWatch::watch(SDL_JoystickID id, const std::string& file)
{
    if (shared_->type == 0)
        return false;
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    {
        const std::lock_guard<std::mutex> held(shared_->lock);
        if (const auto old = shared_->files.find(id); old != shared_->files.end())
            shared_->to_close.push_back(old->second);
        shared_->files[id] = fd;
    }
    const std::uint64_t one = 1;
    return write(shared_->changed, &one, sizeof one) == sizeof one;
}

void DeviceWatch::forget(SDL_JoystickID id)
{
    {
        const std::lock_guard<std::mutex> held(shared_->lock);
        const auto found = shared_->files.find(id);
        if (found == shared_->files.end())
            return;
        shared_->to_close.push_back(found->second);
        shared_->files.erase(found);
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(shared_->changed, &one, sizeof one);
}

std::vector<SDL_JoystickID> DeviceWatch::dropped()
{
    const std::lock_guard<std::mutex> held(shared_->lock);
    return std::exchange(shared_->dropped, {});
}

void DeviceWatch::taken(Sint32 code)
{
    if (code == devices_changed || code == pad_input)
        shared_->pending[static_cast<std::size_t>(code)] = false;
}

} // namespace blockdrop
