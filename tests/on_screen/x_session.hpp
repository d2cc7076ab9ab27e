#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Xlib's macros (None, Bool, Status...) clash with GoogleTest's names, so
// only the implementation includes it.
struct _XDisplay; // NOLINT(bugprone-reserved-identifier): Xlib's own name

namespace blockdrop::window_testing {

// An X window's id.
using Window = unsigned long;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The game binary under test: $BLOCKDROP_GAME, else the one just built.
std::string game_binary();

// The test build of the same game: $BLOCKDROP_TEST_GAME, else the one just
// built.
std::string test_game_binary();

// Polls `done` every few milliseconds until it holds or `timeout` has
// passed; true if it held.
bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// The whole of a file, empty when it cannot be read.
std::string file_text(const std::string& path);

// A memory figure of a running process from /proc/<pid>/status, in MB:
// "VmRSS" now, "VmHWM" at its peak. NaN once the process is gone.
double process_memory_mb(pid_t pid, const std::string& field);

// What execvp takes: pointers into `words`, then a null; built before a
// fork, as the child may only call what is safe there.
std::vector<char*> argv_of(std::vector<std::string>& words);

// A private X server (Xvfb, 1024x768x24 at 96 dpi) for one test. Extra
// arguments go to the server's command line (`-fp built-ins`, say).
class Xvfb {
public:
    explicit Xvfb(const std::vector<std::string>& extra = {});
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// A change to the environment a game starts with: the variable set to the
// value, or taken out when there is no value.
struct EnvChange {
    std::string name;
    std::optional<std::string> value;
};

// The period a test build of the game ticks at when a test asks it for a
// short game: a loss in under four seconds, a win in under nine, and still
// time enough to read each board between two ticks.
inline constexpr std::chrono::milliseconds rehearsal_period{400};

// The environment that has a test build of the game play these draws
// (tests/support/rehearsal.hpp) at rehearsal_period; none for no draws.
std::vector<EnvChange> rehearsal(const std::vector<double>& draws);

// The game binary running on a display, killed if a test leaves it running.
class GameProcess {
public:
    GameProcess(const std::string& binary, const std::string& display);
    // A command line of its own (a launcher and the game, say) and changes
    // to the environment, made after DISPLAY is set.
    GameProcess(const std::vector<std::string>& command, const std::string& display,
                const std::vector<EnvChange>& environment);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    pid_t pid() const { return pid_; }
    Clock::time_point started() const { return started_; }
    void signal(int number) const;

    // The raw wait status once the process has ended, or nothing if it is
    // still running after `timeout`.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    // Whether it has ended within `timeout`, with status 0.
    bool exits_zero(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    Clock::time_point started_;
};

struct Rgb {
    int red = 0, green = 0, blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A picture of a window's contents.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    // Outside the picture (a window smaller than the scale says), a colour
    // the game never draws, so that a check fails instead of reading past it.
    Rgb at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return Rgb{-1, -1, -1};
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// A client connection that finds windows, reads their pixels and types into
// them through the XTEST extension, as a person at the keyboard would.
// A keysym's name, as Xlib spells it ("Shift_L", "apostrophe").
std::string keysym_name(unsigned long keysym);

class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // The top-level window with this title, once it is mapped.
    std::optional<Window> find(const std::string& title) const;
    std::optional<Window> wait_for(const std::string& title,
                                   std::chrono::milliseconds timeout) const;
    bool gone(Window window) const;
    // Waits until no window with this title is left (a killed client's
    // windows linger until the server has noticed).
    bool wait_until_none(const std::string& title, std::chrono::milliseconds timeout) const;

    std::optional<Image> capture(Window window) const;
    std::optional<Image> capture(Window window, int left, int top, int width, int height) const;
    std::pair<int, int> size(Window window) const;
    // Where a window's top-left corner is on the screen.
    std::pair<int, int> position(Window window) const;
    // The screen's size: the root window's.
    std::pair<int, int> screen_size() const;

    // Presses and releases a key, holding the given modifier keys around it.
    void key(unsigned long keysym, const std::vector<unsigned long>& modifiers = {}) const;

    // Presses or lets go of a key on its own, so that a test can hold it
    // down and let the server's auto-repeat send more presses.
    void key_down(unsigned long keysym) const;
    void key_up(unsigned long keysym) const;

    // Turns the server's key auto-repeat on with this delay and interval.
    void auto_repeat(std::chrono::milliseconds delay, std::chrono::milliseconds interval) const;

    // Gives a window the keyboard focus (no window manager does it here).
    void focus(Window window) const;

    // Gives the key that types `from` the symbol `to` instead, as another
    // keyboard layout would.
    void remap(unsigned long from, unsigned long to) const;

    // Unmaps a window, as a window manager does to minimise it (evilwm
    // here takes no request to); maps and raises it again, as a click on a
    // task bar does.
    void unmap(Window window) const;
    void map(Window window) const;

    // Asks a window to close, as a window manager's close button does.
    void close(Window window) const;

    // Resizes a window, as a window manager or a tiling layout may.
    void resize(Window window, int width, int height) const;
    // The same, the window moved to the screen's corner, so that all of it
    // can be read back.
    void resize_at_corner(Window window, int width, int height) const;

    // Moves the pointer to (x, y) in a window and clicks the left button.
    void click(Window window, int x, int y) const;
    // Presses the left button at `from` in a window, moves the pointer to
    // `to` in steps, as a hand does, and lets go there.
    void drag(Window window, std::pair<int, int> from, std::pair<int, int> to) const;

    // Replaces the server's X resources (the root window's RESOURCE_MANAGER,
    // as `xrdb -load` does): "Xft.dpi: 144\n", say. Clients read them when
    // they connect.
    void set_resources(const std::string& resources) const;

    // A window's property of 32-bit items (_NET_WM_ICON, say); empty when it
    // has none.
    std::vector<unsigned long> cardinals(Window window, const std::string& property) const;

private:
    _XDisplay* display_ = nullptr;
};

} // namespace blockdrop::window_testing
