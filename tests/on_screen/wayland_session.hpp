#pragma once

#include "tests/on_screen/x_session.hpp"

#include <optional>
#include <string>
#include <vector>

namespace blockdrop::window_testing {

// Where a window's client area is on the compositor's output, in its
// logical pixels.
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// A private headless sway (with Xwayland) for one test, run as an
// unprivileged user when the test runs as root (sway refuses root), with a
// runtime directory of its own. New windows float, without borders, at the
// output's top-left corner. Stopped with its clients when the test ends.
class Sway {
public:
    Sway();
    ~Sway();
    Sway(const Sway&) = delete;
    Sway& operator=(const Sway&) = delete;

    // What a client needs to reach this compositor, natively and through
    // its Xwayland: XDG_RUNTIME_DIR and WAYLAND_DISPLAY, and DISPLAY (once
    // Xwayland runs with its window manager).
    std::vector<EnvChange> native_environment() const;
    std::vector<EnvChange> xwayland_environment() const;

    // A command line that runs `command` as the compositor's user, as its
    // Xwayland lets in only that user's clients.
    std::vector<std::string> as_its_user(const std::vector<std::string>& command) const;

    // A path of the program at `binary` that the compositor's user can run:
    // a copy in the runtime directory when that user is not us (a clone in
    // root's home is out of nobody's reach).
    std::string reachable(const std::string& binary) const;

    // Runs a command against this compositor (swaymsg, grim, wtype,
    // xdotool) as its user, waits for it and gives its standard output;
    // nothing if it failed.
    std::optional<std::string> run(std::vector<std::string> words) const;
    // What swaymsg -t get_tree prints.
    std::optional<std::string> layout_tree() const;

    // The output's scale: 1, 1.5, 2...
    void set_scale(double scale);
    // A second output, right of the first, at `scale`.
    void add_output(double scale) const;

    // The client area of the window of process `pid`, once it is mapped.
    std::optional<Geometry> window_of(pid_t pid) const;
    std::optional<Geometry> wait_for_window(pid_t pid, std::chrono::milliseconds timeout) const;

    // The app_id of the window of process `pid` (a native one's), by which
    // the compositor finds its desktop entry; nothing when it has none.
    std::optional<std::string> app_id_of(pid_t pid) const;

    // A picture of that area in device pixels, as the screen shows it.
    std::optional<Image> capture(const Geometry& area) const;

    // A key pressed and released on the native keyboard ("Left", "Return"),
    // which reaches the focused window, native or not; with `keysyms`, the
    // modifiers before it held meanwhile ({"Shift_L", "Left"}).
    void key(const std::string& name) const;
    void key(const std::vector<std::string>& keysyms) const;
    // The same through Xwayland's XTEST, for an X client.
    void x_key(const std::string& name) const;

    // A click of the left button at (x, y) in the output's logical pixels.
    void click(double x, double y) const;

    // Asks the window of process `pid` to close, as its close button does.
    void close(pid_t pid) const;

private:
    pid_t pid_ = -1;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    std::string runtime_dir_;
    std::string socket_;
    std::string ipc_socket_;
    std::string x_display_;
    double scale_ = 1.0;
};

// The PPM picture that `grim -t ppm` writes, as an Image; nothing if it is
// not one.
std::optional<Image> read_ppm(const std::string& bytes);

} // namespace blockdrop::window_testing
