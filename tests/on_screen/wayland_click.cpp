// Clicks the left button at a point of a wlroots compositor's layout, as a
// pointer device would: a headless compositor has no pointer of its own
// to give clients. Through the virtual-pointer protocol, whose two
// interfaces are written out here (no Debian package ships its XML).
//   wayland_click X Y WIDTH HEIGHT   (the point and the layout's size)
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// zwlr_virtual_pointer_manager_v1 and zwlr_virtual_pointer_v1, version 1.
extern const wl_interface pointer_interface;
const wl_interface* no_types[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
const wl_interface* create_types[] = {&wl_seat_interface, &pointer_interface};
const wl_message manager_requests[] = {{"create_virtual_pointer", "?on", create_types},
                                       {"destroy", "", no_types}};
const wl_interface manager_interface = {
    "zwlr_virtual_pointer_manager_v1", 1, 2, manager_requests, 0, nullptr};
const wl_message pointer_requests[] = {
    {"motion", "uff", no_types},   {"motion_absolute", "uuuuu", no_types},
    {"button", "uuu", no_types},   {"axis", "uuf", no_types},
    {"frame", "", no_types},       {"axis_source", "u", no_types},
    {"axis_stop", "uu", no_types}, {"axis_discrete", "uufi", no_types},
    {"destroy", "", no_types}};
const wl_interface pointer_interface = {"zwlr_virtual_pointer_v1", 1, 9,
                                        pointer_requests,          0, nullptr};

enum : std::uint32_t { motion_absolute = 1, button = 2, frame = 4, destroy = 8 };
constexpr std::uint32_t left_button = 0x110; // BTN_LEFT

struct Globals {
    wl_proxy* manager = nullptr;
    wl_seat* seat = nullptr;
};

void announced(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t /*version*/)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, manager_interface.name) == 0)
        globals->manager =
            static_cast<wl_proxy*>(wl_registry_bind(registry, name, &manager_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == nullptr)
        globals->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void withdrawn(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

const wl_registry_listener registry_listener{announced, withdrawn};

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: wayland_click X Y WIDTH HEIGHT\n");
        return 2;
    }
    const auto number = [&](int i) { return static_cast<std::uint32_t>(std::atoi(argv[i])); };
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wayland_click: no compositor\n");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &globals);
    wl_display_roundtrip(display);
    if (globals.manager == nullptr) {
        std::fprintf(stderr, "wayland_click: the compositor has no virtual pointers\n");
        return 1;
    }
    auto* pointer =
        wl_proxy_marshal_constructor(globals.manager, 0, &pointer_interface, globals.seat, nullptr);
    const auto send = [&](std::uint32_t opcode, auto... arguments) {
        wl_proxy_marshal(pointer, opcode, arguments...);
        wl_proxy_marshal(pointer, frame);
        wl_display_roundtrip(display);
    };
    // The seat gains a pointer: time for the clients to take theirs, and
    // for the one under the point to see it arrive.
    pause(300);
    send(motion_absolute, 0U, number(1), number(2), number(3), number(4));
    pause(100);
    send(button, 0U, left_button, 1U);
    pause(50);
    send(button, 0U, left_button, 0U);
    wl_proxy_marshal(pointer, destroy);
    wl_proxy_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
