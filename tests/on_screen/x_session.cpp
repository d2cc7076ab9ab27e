#include "tests/on_screen/x_session.hpp"

#include "tests/support/rehearsal.hpp"

#include <X11/Xlib.h>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace blockdrop::window_testing {

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what);
}

std::optional<std::string> window_title(Display* display, Window window)
{
    char* name = nullptr;
    if (XFetchName(display, window, &name) == 0 || name == nullptr)
        return std::nullopt;
    std::string title(name);
    XFree(name);
    return title;
}

// A window that vanishes between being listed and being read is no error:
// the tests poll windows that come and go.
int ignore_x_errors(Display* /*display*/, XErrorEvent* /*error*/)
{
    return 0;
}

} // namespace

std::string game_binary()
{
    if (const char* path = std::getenv("BLOCKDROP_GAME"))
        return path;
    return BLOCKDROP_GAME;
}

std::string test_game_binary()
{
    if (const char* path = std::getenv("BLOCKDROP_TEST_GAME"))
        return path;
    return BLOCKDROP_TEST_GAME;
}

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::vector<EnvChange> rehearsal(const std::vector<double>& draws)
{
    if (draws.empty())
        return {};
    return {{"BLOCKDROP_TEST_DRAWS", spelled(draws)},
            {"BLOCKDROP_TEST_PERIOD_MS", std::to_string(rehearsal_period.count())}};
}

std::string file_text(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

double process_memory_mb(pid_t pid, const std::string& field)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/status");
    const std::string prefix = field + ":";
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stod(line.substr(prefix.size())) / 1024.0;
    }
    return NAN;
}

std::vector<char*> argv_of(std::vector<std::string>& words)
{
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

Xvfb::Xvfb(const std::vector<std::string>& extra)
{
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0)
        fail("pipe failed");
    // The display number comes back on the pipe's end the server inherits.
    std::vector<std::string> words = {"Xvfb", "-displayfd", std::to_string(pipe_fds[1]), "-dpi",
                                      "96",   "-nolisten",  "tcp",                       "-noreset"};
    // One screen size only: with two, the server's RandR keeps the first.
    if (std::find(extra.begin(), extra.end(), "-screen") == extra.end())
        words.insert(words.end(), {"-screen", "0", "1024x768x24"});
    words.insert(words.end(), extra.begin(), extra.end());
    const auto argv = argv_of(words);
    pid_ = fork();
    if (pid_ < 0)
        fail("fork failed");
    if (pid_ == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        fcntl(pipe_fds[1], F_SETFD, 0);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipe_fds[1]);
    std::string number;
    pollfd ready{pipe_fds[0], POLLIN, 0};
    while (poll(&ready, 1, 10000) > 0) {
        char c = 0;
        if (read(pipe_fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(pipe_fds[0]);
    if (number.empty())
        fail("Xvfb did not start (is the xvfb package installed?)");
    display_ = ":" + number;
}

Xvfb::~Xvfb()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

GameProcess::GameProcess(const std::string& binary, const std::string& display)
    : GameProcess(std::vector<std::string>{binary}, display, {})
{
}

GameProcess::GameProcess(const std::vector<std::string>& command, const std::string& display,
                         const std::vector<EnvChange>& environment)
{
    if (command.empty())
        fail("no command to start");
    std::vector<std::string> words = command;
    const auto argv = argv_of(words);
    started_ = Clock::now();
    pid_ = fork();
    if (pid_ < 0)
        fail("fork failed");
    if (pid_ == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        // Window titles in plain WM_NAME, where the tests look for them.
        setenv("LC_ALL", "C", 1);
        for (const EnvChange& change : environment) {
            if (change.value)
                setenv(change.name.c_str(), change.value->c_str(), 1);
            else
                unsetenv(change.name.c_str());
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
}

GameProcess::~GameProcess()
{
    if (!status_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void GameProcess::signal(int number) const
{
    kill(pid_, number);
}

std::optional<int> GameProcess::wait(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!status_) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            status_ = status;
        else if (Clock::now() >= deadline)
            break;
        else
            std::this_thread::sleep_for(5ms);
    }
    return status_;
}

bool GameProcess::exits_zero(std::chrono::milliseconds timeout)
{
    const auto status = wait(timeout);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

XClient::XClient(const std::string& display)
{
    XSetErrorHandler(ignore_x_errors);
    display_ = XOpenDisplay(display.c_str());
    if (display_ == nullptr)
        fail("cannot open display " + display);
    int event_base = 0;
    int error_base = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display_, &event_base, &error_base, &major, &minor))
        fail("the X server has no XTEST extension");
}

XClient::~XClient()
{
    XCloseDisplay(display_);
}

namespace {

// The viewable windows among `under`'s children.
std::vector<Window> viewable_children(Display* display, Window under)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> viewable;
    if (XQueryTree(display, under, &root, &parent, &children, &count) == 0)
        return viewable;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
            attributes.map_state == IsViewable)
            viewable.push_back(children[i]);
    }
    if (children != nullptr)
        XFree(children);
    return viewable;
}

} // namespace

std::optional<Window> XClient::find(const std::string& title) const
{
    // A window manager puts each top-level window into a frame of its own:
    // the frames' children are looked at too.
    const std::vector<Window> tops = viewable_children(display_, DefaultRootWindow(display_));
    for (const Window top : tops) {
        if (window_title(display_, top) == title)
            return top;
    }
    for (const Window top : tops) {
        for (const Window child : viewable_children(display_, top)) {
            if (window_title(display_, child) == title)
                return child;
        }
    }
    return std::nullopt;
}

std::optional<Window> XClient::wait_for(const std::string& title,
                                        std::chrono::milliseconds timeout) const
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto window = find(title))
            return window;
        if (Clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(2ms);
    }
}

bool XClient::wait_until_none(const std::string& title, std::chrono::milliseconds timeout) const
{
    const auto deadline = Clock::now() + timeout;
    while (find(title)) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

bool XClient::gone(Window window) const
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display_, window, &attributes) == 0 ||
           attributes.map_state != IsViewable;
}

std::pair<int, int> XClient::size(Window window) const
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) == 0)
        return {0, 0};
    return {attributes.width, attributes.height};
}

std::pair<int, int> XClient::position(Window window) const
{
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    return {x, y};
}

std::pair<int, int> XClient::screen_size() const
{
    return size(DefaultRootWindow(display_));
}

std::optional<Image> XClient::capture(Window window) const
{
    const auto [width, height] = size(window);
    if (width == 0)
        return std::nullopt;
    return capture(window, 0, 0, width, height);
}

std::optional<Image> XClient::capture(Window window, int left, int top, int width, int height) const
{
    XImage* picture = XGetImage(display_, window, left, top, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (picture == nullptr)
        return std::nullopt;
    Image image{width, height, {}};
    image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(picture, x, y);
            image.pixels.push_back(Rgb{static_cast<int>((pixel & picture->red_mask) >> 16),
                                       static_cast<int>((pixel & picture->green_mask) >> 8),
                                       static_cast<int>(pixel & picture->blue_mask)});
        }
    }
    XDestroyImage(picture);
    return image;
}

void XClient::key(unsigned long keysym, const std::vector<unsigned long>& modifiers) const
{
    for (const unsigned long modifier : modifiers)
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, modifier), True, CurrentTime);
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code == 0)
        fail("no key code for keysym " + std::to_string(keysym));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    // Modifiers are let go in the reverse order.
    for (std::size_t i = modifiers.size(); i-- > 0;)
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, modifiers[i]), False, CurrentTime);
    XFlush(display_);
}

void XClient::key_down(unsigned long keysym) const
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), True, CurrentTime);
    XFlush(display_);
}

void XClient::key_up(unsigned long keysym) const
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), False, CurrentTime);
    XFlush(display_);
}

void XClient::auto_repeat(std::chrono::milliseconds delay, std::chrono::milliseconds interval) const
{
    XAutoRepeatOn(display_);
    XkbSetAutoRepeatRate(display_, XkbUseCoreKbd, static_cast<unsigned>(delay.count()),
                         static_cast<unsigned>(interval.count()));
    XSync(display_, False);
}

void XClient::focus(Window window) const
{
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    XSync(display_, False);
}

void XClient::remap(unsigned long from, unsigned long to) const
{
    KeySym symbols[] = {to, to};
    XChangeKeyboardMapping(display_, XKeysymToKeycode(display_, from), 2, symbols, 1);
    XSync(display_, False);
}

void XClient::click(Window window, int x, int y) const
{
    XWarpPointer(display_, 0, window, 0, 0, 0, 0, x, y);
    XSync(display_, False);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XFlush(display_);
}

void XClient::drag(Window window, std::pair<int, int> from, std::pair<int, int> to) const
{
    XWarpPointer(display_, 0, window, 0, 0, 0, 0, from.first, from.second);
    XSync(display_, False);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XSync(display_, False);
    constexpr int steps = 8;
    for (int step = 1; step <= steps; ++step) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        XWarpPointer(display_, 0, window, 0, 0, 0, 0,
                     from.first + (to.first - from.first) * step / steps,
                     from.second + (to.second - from.second) * step / steps);
        XSync(display_, False);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XFlush(display_);
}

void XClient::set_resources(const std::string& resources) const
{
    XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                    static_cast<int>(resources.size()));
    XSync(display_, False);
}

std::vector<unsigned long> XClient::cardinals(Window window, const std::string& property) const
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, property.c_str(), False), 0,
                           1L << 20, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success)
        return items;
    if (format == 32 && data != nullptr) {
        // Xlib hands 32-bit items back in longs.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data != nullptr)
        XFree(data);
    return items;
}

void XClient::resize(Window window, int width, int height) const
{
    XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
}

void XClient::resize_at_corner(Window window, int width, int height) const
{
    XMoveResizeWindow(display_, window, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    XFlush(display_);
}

void XClient::unmap(Window window) const
{
    XUnmapWindow(display_, window);
    XSync(display_, False);
}

void XClient::map(Window window) const
{
    XMapRaised(display_, window);
    XSync(display_, False);
}

void XClient::close(Window window) const
{
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &message);
    XFlush(display_);
}

std::string keysym_name(unsigned long keysym)
{
    const char* name = XKeysymToString(keysym);
    return name != nullptr ? name : "";
}

} // namespace blockdrop::window_testing
