#include "tests/on_screen/wayland_session.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <map>
#include <pwd.h>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace blockdrop::window_testing {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what);
}

// Whom sway runs as: ourselves, or nobody when we are root.
std::pair<uid_t, gid_t> compositor_user()
{
    if (geteuid() != 0)
        return {geteuid(), getegid()};
    const passwd* nobody = getpwnam("nobody");
    return nobody != nullptr ? std::pair{nobody->pw_uid, nobody->pw_gid}
                             : std::pair{uid_t{65534}, gid_t{65534}};
}

// Drops root for the compositor's user, in a child about to exec.
bool become(uid_t uid, gid_t gid)
{
    if (geteuid() != 0 || uid == 0)
        return true;
    return setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0;
}

// The integer after `"key": ` at or after `from` in sway's JSON.
int number_after(const std::string& json, std::size_t from, const std::string& key)
{
    const auto at = json.find("\"" + key + "\": ", from);
    if (at == std::string::npos)
        fail("no " + key + " in the tree");
    return std::stoi(json.substr(at + key.size() + 4, 12));
}

std::string number_text(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

} // namespace

Sway::Sway()
{
    std::string dir = (fs::temp_directory_path() / "blockdrop-sway-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr)
        fail("cannot make a runtime directory");
    runtime_dir_ = dir;
    std::tie(uid_, gid_) = compositor_user();
    const uid_t uid = uid_;
    const gid_t gid = gid_;
    const std::string config = runtime_dir_ + "/config";
    {
        std::ofstream file(config);
        // Room for the window at scale 2 (960 x 540 logical pixels).
        file << "output HEADLESS-1 mode 1920x1080\n"
                "default_border none\n"
                "default_floating_border none\n"
                "focus_follows_mouse no\n"
                // A key's release held up on a busy machine must not let
                // the game repeat it.
                "input type:keyboard repeat_rate 0\n"
                "for_window [title=\"Form1\"] floating enable, move position 0 0\n"
                "exec sh -c 'echo \"$DISPLAY\" > "
             << runtime_dir_ << "/display'\n";
    }
    if (chown(runtime_dir_.c_str(), uid, gid) != 0 || chown(config.c_str(), uid, gid) != 0)
        fail("cannot give the runtime directory to the compositor's user");

    std::vector<std::string> words = {"sway", "-c", config};
    auto argv = argv_of(words);
    pid_ = fork();
    if (pid_ < 0)
        fail("fork failed");
    if (pid_ == 0) {
        // A group of its own, with the Xwayland and swaybg it starts.
        setpgid(0, 0);
        const int log = open((runtime_dir_ + "/sway.log").c_str(), O_WRONLY | O_CREAT, 0644);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        if (!become(uid, gid) || chdir(runtime_dir_.c_str()) != 0)
            _exit(126);
        setenv("XDG_RUNTIME_DIR", runtime_dir_.c_str(), 1);
        setenv("HOME", runtime_dir_.c_str(), 1);
        setenv("WLR_BACKENDS", "headless", 1);
        setenv("WLR_LIBINPUT_NO_DEVICES", "1", 1);
        setenv("WLR_RENDERER", "pixman", 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SWAYSOCK");
        execvp(argv[0], argv.data());
        _exit(127);
    }
    // Ready once its sockets are there and its start-up command has told
    // us Xwayland's display.
    const auto deadline = Clock::now() + 20s;
    while (Clock::now() < deadline) {
        for (const auto& entry : fs::directory_iterator(runtime_dir_)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos)
                socket_ = name;
            if (name.rfind("sway-ipc.", 0) == 0)
                ipc_socket_ = entry.path().string();
        }
        std::ifstream display(runtime_dir_ + "/display");
        std::getline(display, x_display_);
        if (!socket_.empty() && !ipc_socket_.empty() && !x_display_.empty())
            return;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            fail("sway ended at start (is the sway package installed?)");
        }
        std::this_thread::sleep_for(20ms);
    }
    fail("sway did not start within 20 s");
}

Sway::~Sway()
{
    if (pid_ > 0) {
        // Xwayland outlives sway for a moment, still listening on its
        // abstract socket: the next sway may take the same display number,
        // and its game would reach the old server, where no window shows.
        // So the whole group is waited for; what is left after 5 s (a sway
        // stopped while it starts may hang on its way out) is killed.
        kill(-pid_, SIGTERM);
        const auto deadline = Clock::now() + 5s;
        while (kill(-pid_, 0) == 0 && Clock::now() < deadline) {
            waitpid(pid_, nullptr, WNOHANG);
            std::this_thread::sleep_for(20ms);
        }
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(runtime_dir_, ignored);
}

std::vector<EnvChange> Sway::native_environment() const
{
    return {
        {"DISPLAY", std::nullopt}, {"XDG_RUNTIME_DIR", runtime_dir_}, {"WAYLAND_DISPLAY", socket_}};
}

std::vector<EnvChange> Sway::xwayland_environment() const
{
    // Sway starts Xwayland for its first X client and connects its window
    // manager then; a client that maps its window before the manager is in
    // is never shown. So a first client waits here until the manager's own
    // window is named on the root.
    const auto deadline = Clock::now() + 30s;
    while (run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).value_or("").find("window id") ==
           std::string::npos) {
        if (Clock::now() > deadline)
            fail("Xwayland's window manager did not start within 30 s");
        std::this_thread::sleep_for(50ms);
    }
    // The first key through XTEST switches X's keymap to XTEST's device, and
    // SDL 3 takes that switch and not the key: a key no test presses makes
    // the switch before the game is there.
    static const std::vector<std::string> switch_keymap{"xdotool", "key", "Shift_L"};
    run(switch_keymap);
    // SDL 3 finds sway's socket in the runtime folder even with no
    // WAYLAND_DISPLAY, and prefers it: X11 is asked for by name.
    return {{"DISPLAY", x_display_},
            {"XDG_RUNTIME_DIR", runtime_dir_},
            {"WAYLAND_DISPLAY", {}},
            {"SDL_VIDEODRIVER", "x11"}};
}

std::string Sway::reachable(const std::string& binary) const
{
    if (geteuid() != 0 || uid_ == 0)
        return binary;
    std::string copy = runtime_dir_ + "/" + fs::path(binary).filename().string();
    fs::copy_file(binary, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    return copy;
}

std::vector<std::string> Sway::as_its_user(const std::vector<std::string>& command) const
{
    if (geteuid() != 0 || uid_ == 0)
        return command;
    std::vector<std::string> line = {"setpriv", "--reuid=" + std::to_string(uid_),
                                     "--regid=" + std::to_string(gid_), "--clear-groups"};
    line.insert(line.end(), command.begin(), command.end());
    return line;
}

std::optional<std::string> Sway::run(std::vector<std::string> words) const
{
    auto argv = argv_of(words);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        fail("pipe failed");
    const pid_t child = fork();
    if (child < 0)
        fail("fork failed");
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDERR_FILENO);
        if (!become(uid_, gid_) || chdir(runtime_dir_.c_str()) != 0)
            _exit(126);
        setenv("XDG_RUNTIME_DIR", runtime_dir_.c_str(), 1);
        setenv("WAYLAND_DISPLAY", socket_.c_str(), 1);
        setenv("SWAYSOCK", ipc_socket_.c_str(), 1);
        setenv("DISPLAY", x_display_.c_str(), 1);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ::close(out[1]);
    std::string output;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

std::optional<std::string> Sway::layout_tree() const
{
    // Copied from a constant: GCC 16 takes a vector built from a list of
    // literals alone, destroyed after an inlined run(), for a free of memory
    // that is not the heap's (-Wfree-nonheap-object).
    static const std::vector<std::string> get_tree{"swaymsg", "-t", "get_tree"};
    return run(get_tree);
}

void Sway::set_scale(double scale)
{
    if (!run({"swaymsg", "output", "HEADLESS-1", "scale", number_text(scale)}))
        fail("sway did not take the scale " + number_text(scale));
    scale_ = scale;
}

void Sway::add_output(double scale) const
{
    static const std::vector<std::string> create{"swaymsg", "create_output"};
    // Sway puts the first output right of the new one: back at the corner.
    if (!run(create) ||
        !run(
            {"swaymsg", "output", "HEADLESS-2", "pos", "1920", "0", "scale", number_text(scale)}) ||
        !run({"swaymsg", "output", "HEADLESS-1", "pos", "0", "0"}))
        fail("sway did not add an output at scale " + number_text(scale));
}

std::optional<Geometry> Sway::window_of(pid_t pid) const
{
    const auto tree = layout_tree();
    if (!tree)
        return std::nullopt;
    // A view's "rect" and "window_rect" come before its "pid" in its node,
    // and its node holds no other node before them.
    const auto at = tree->find("\"pid\": " + std::to_string(pid) + ",");
    if (at == std::string::npos)
        return std::nullopt;
    const auto window_rect = tree->rfind("\"window_rect\": ", at);
    const auto rect = tree->rfind("\"rect\": ", at);
    if (window_rect == std::string::npos || rect == std::string::npos)
        return std::nullopt;
    Geometry area{number_after(*tree, rect, "x") + number_after(*tree, window_rect, "x"),
                  number_after(*tree, rect, "y") + number_after(*tree, window_rect, "y"),
                  number_after(*tree, window_rect, "width"),
                  number_after(*tree, window_rect, "height")};
    if (area.width <= 0 || area.height <= 0)
        return std::nullopt;
    return area;
}

std::optional<std::string> Sway::app_id_of(pid_t pid) const
{
    const auto tree = layout_tree();
    if (!tree)
        return std::nullopt;
    // A view's "app_id" follows its "pid".
    const auto at = tree->find("\"pid\": " + std::to_string(pid) + ",");
    constexpr std::string_view key = R"("app_id": ")";
    const auto id = at == std::string::npos ? at : tree->find(key, at);
    if (id == std::string::npos || tree->find("\"pid\": ", at + 1) < id)
        return std::nullopt;
    const auto start = id + key.size();
    return std::string(*tree, start, tree->find('"', start) - start);
}

std::optional<Geometry> Sway::wait_for_window(pid_t pid, std::chrono::milliseconds timeout) const
{
    // The config's rule puts the window at the output's corner, where the
    // smaller logical output of a larger scale still shows it whole; a
    // window its client places itself once mapped (SDL 3 on X11) goes back.
    const auto deadline = Clock::now() + timeout;
    auto area = window_of(pid);
    while ((!area || area->x != 0 || area->y != 0) && Clock::now() < deadline) {
        if (area)
            run({"swaymsg", "[pid=" + std::to_string(pid) + "]", "move", "position", "0", "0"});
        std::this_thread::sleep_for(50ms);
        area = window_of(pid);
    }
    return area;
}

std::optional<Image> Sway::capture(const Geometry& area) const
{
    const std::string where = std::to_string(area.x) + "," + std::to_string(area.y) + " " +
                              std::to_string(area.width) + "x" + std::to_string(area.height);
    const auto bytes = run({"grim", "-t", "ppm", "-g", where, "-"});
    return bytes ? read_ppm(*bytes) : std::nullopt;
}

void Sway::key(const std::string& name) const
{
    key(std::vector<std::string>{name});
}

void Sway::key(const std::vector<std::string>& keysyms) const
{
    static const std::map<std::string, std::string> modifiers{
        {"Shift_L", "shift"}, {"Control_L", "ctrl"}, {"Alt_L", "alt"}};
    std::vector<std::string> held;
    for (std::size_t i = 0; i + 1 < keysyms.size(); ++i)
        held.push_back(modifiers.at(keysyms[i]));
    // After a pause, or a virtual keyboard's first key is lost while the
    // compositor takes in its keymap; released soon after, so that the
    // key is in when the command returns.
    std::vector<std::string> words{"wtype", "-s", "500"};
    for (const std::string& modifier : held)
        words.insert(words.end(), {"-M", modifier});
    const std::string& name = keysyms.back();
    words.insert(words.end(), {"-P", name, "-s", "20", "-p", name});
    for (const std::string& modifier : held)
        words.insert(words.end(), {"-m", modifier});
    run(words);
}

void Sway::x_key(const std::string& name) const
{
    run({"xdotool", "key", name});
}

void Sway::click(double x, double y) const
{
    // The one output is the layout: 1920 x 1080 device pixels at the scale.
    const auto logical = [this](int pixels) {
        return std::to_string(std::lround(pixels / scale_));
    };
    run({reachable(BLOCKDROP_WAYLAND_CLICK), std::to_string(std::lround(x)),
         std::to_string(std::lround(y)), logical(1920), logical(1080)});
}

void Sway::close(pid_t pid) const
{
    run({"swaymsg", "[pid=" + std::to_string(pid) + "] kill"});
}

std::optional<Image> read_ppm(const std::string& bytes)
{
    std::istringstream in(bytes);
    std::string magic;
    int width = 0;
    int height = 0;
    int maximum = 0;
    in >> magic >> width >> height >> maximum;
    if (magic != "P6" || width <= 0 || height <= 0 || maximum != 255)
        return std::nullopt;
    in.get();
    const auto start = static_cast<std::size_t>(in.tellg());
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (bytes.size() < start + 3 * count)
        return std::nullopt;
    Image image{width, height, {}};
    image.pixels.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* pixel = reinterpret_cast<const unsigned char*>(bytes.data() + start + 3 * i);
        image.pixels.push_back(Rgb{pixel[0], pixel[1], pixel[2]});
    }
    return image;
}

} // namespace blockdrop::window_testing
