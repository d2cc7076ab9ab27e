// Plays the real game under Xvfb for a while as a restless player would:
// arrow keys held down so the server's auto-repeat fires, bursts of random
// keys with random modifiers, pauses, and every box answered at random by key or click,
// with a new game started whenever Cancel ends one. It fails when the game
// dies, stops answering keys, loses its one-second cadence, grows in memory
// from game to game, or leaves a process behind.
//   build/tests/window_soak [minutes] [seed]
#include "tests/on_screen/figures.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/screen_box.hpp"
#include "tests/on_screen/x_session.hpp"

#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace blockdrop::window_testing {
namespace {

// Processes still running this binary.
std::vector<pid_t> running(const std::string& binary)
{
    std::vector<pid_t> found;
    std::error_code error;
    const auto wanted = std::filesystem::weakly_canonical(binary, error);
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code unreadable;
        const auto exe = std::filesystem::read_symlink(entry.path() / "exe", unreadable);
        if (!unreadable && exe == wanted)
            found.push_back(std::stoi(name));
    }
    return found;
}

// Watches the shaft of the current game window from its own X connection
// and times every change. Each tick moves or spawns a piece, so every change
// within one stretch of play is a tick; a dialog or a new game starts a new
// stretch, and the gaps between stretches are not periods.
class TickWatch {
public:
    explicit TickWatch(const std::string& display) : x_(display) {}
    ~TickWatch() { stop(); }
    TickWatch(const TickWatch&) = delete;
    TickWatch& operator=(const TickWatch&) = delete;

    void watch(Window window)
    {
        stop();
        done_ = false;
        thread_ = std::thread([this, window] { run(window); });
    }

    // The stretch of play seen so far is over: its last change and the next
    // one are not a tick apart.
    void new_stretch() { ++stretch_; }

    void stop()
    {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    std::vector<double> periods() const
    {
        const std::lock_guard lock(mutex_);
        return periods_;
    }

private:
    void run(Window window)
    {
        std::optional<Image> last;
        std::optional<Clock::time_point> last_change;
        int last_stretch = stretch_;
        int changes_in_stretch = 0;
        while (!done_) {
            std::this_thread::sleep_for(1ms);
            auto now = x_.capture(window, 0, 0, 231, 165);
            const auto seen = Clock::now();
            if (!now)
                continue;
            if (last && now->pixels != last->pixels) {
                const int stretch = stretch_;
                if (stretch != last_stretch)
                    changes_in_stretch = 0;
                ++changes_in_stretch;
                // OK on a dialog reloads the board, and the tick that asked
                // goes on to drop the new game's first piece: two pictures a
                // moment apart, one event. The grid starts at the first.
                const bool same_reload =
                    changes_in_stretch == 2 && ms_between(*last_change, seen) < 100;
                if (last_change && stretch == last_stretch && changes_in_stretch > 1 &&
                    !same_reload) {
                    const std::lock_guard lock(mutex_);
                    periods_.push_back(ms_between(*last_change, seen));
                }
                if (!same_reload)
                    last_change = seen;
                last_stretch = stretch;
            }
            last = std::move(now);
        }
    }

    XClient x_;
    std::thread thread_;
    std::atomic<bool> done_{true};
    std::atomic<int> stretch_{0};
    mutable std::mutex mutex_;
    std::vector<double> periods_;
};

struct Tally {
    int games = 0;
    int processes = 0;
    int wins = 0;
    int replays = 0; // losses answered OK
    int cancels = 0;
    int holds = 0;
    int bursts = 0;
    long keys = 0;
    std::vector<double> responses_ms;
    // Resident memory at the end of each game, one list per process.
    std::vector<std::vector<double>> resident_mb;
    std::vector<std::string> failures;

    void fail(const std::string& what)
    {
        std::fprintf(stderr, "soak: %s\n", what.c_str());
        failures.push_back(what);
    }
};

// Every key a player might hit, the two that matter among them. Return and
// Escape are left to the boxes' answers: a burst that met a box would answer
// it. Every other key typed into a box must leave it up.
const std::vector<unsigned long> some_keys = {
    XK_Left, XK_Right, XK_Left,       XK_Right,   XK_Up,   XK_Down, XK_space, XK_Tab,       XK_a,
    XK_z,    XK_5,     XK_apostrophe, XK_percent, XK_Home, XK_End,  XK_F1,    XK_BackSpace,
};
const std::vector<unsigned long> some_modifiers = {XK_Shift_L, XK_Control_L, XK_Alt_L};

class Player {
public:
    Player(const XClient& x, TickWatch& ticks, Tally& tally, std::mt19937& random)
        : x_(x), ticks_(ticks), tally_(tally), random_(random)
    {
    }

    // How a box is answered: a key, or a click on one of its buttons.
    enum class Answer { key_return, key_escape, click_ok, click_cancel };

    // Plays one process of the game until `deadline` or until Cancel ends
    // it. False when the game failed in a way that ends the soak.
    bool play(Clock::time_point deadline)
    {
        GameProcess game(game_binary(), display_of_game_);
        ++tally_.processes;
        ++tally_.games;
        tally_.resident_mb.emplace_back();
        const auto window = x_.wait_for("Form1", 10s);
        if (!window) {
            tally_.fail("the game window did not appear");
            return false;
        }
        x_.focus(*window);
        ticks_.watch(*window);
        if (tally_.processes == 1)
            check_auto_repeat(*window);
        while (Clock::now() < deadline) {
            if (const auto status = game.wait(0ms)) {
                tally_.fail("the game ended by itself, wait status " + std::to_string(*status));
                return false;
            }
            const Box box = boxes_.shown(x_, *window);
            if (box == Box::won) {
                ticks_.new_stretch();
                tally_.resident_mb.back().push_back(process_memory_mb(game.pid(), "VmRSS"));
                // Escape is the OK of a box with no Cancel.
                answer(*window, box,
                       any(std::vector{Answer::key_return, Answer::key_escape, Answer::click_ok}));
                ++tally_.wins;
                ++tally_.games;
                continue;
            }
            if (box == Box::lost) {
                ticks_.new_stretch();
                tally_.resident_mb.back().push_back(process_memory_mb(game.pid(), "VmRSS"));
                if (chance(0.25)) {
                    ++tally_.cancels;
                    answer(*window, box, chance(0.5) ? Answer::key_escape : Answer::click_cancel);
                    return ended_cleanly(game);
                }
                answer(*window, box, chance(0.5) ? Answer::key_return : Answer::click_ok);
                ++tally_.replays;
                ++tally_.games;
                continue;
            }
            act(*window);
        }
        ticks_.stop();
        return true;
    }

    void set_display(const std::string& display) { display_of_game_ = display; }

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    int between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    template <typename T>
    const T& any(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(between(0, static_cast<int>(items.size()) - 1))];
    }

    // Answers the box in the game window; a box still there 5 s later was
    // not closed by its answer. Cancel ends the game, which the caller checks.
    void answer(Window window, Box box, Answer how)
    {
        switch (how) {
        case Answer::key_return: x_.key(XK_Return); break;
        case Answer::key_escape: x_.key(XK_Escape); break;
        case Answer::click_ok:
        case Answer::click_cancel: {
            const auto [x, y] = boxes_.button_centre(box, how == Answer::click_ok ? 1 : 2);
            x_.click(window, x, y);
            break;
        }
        }
        if (how == Answer::click_cancel || (how == Answer::key_escape && box == Box::lost))
            return;
        const auto until = Clock::now() + 5s;
        while (boxes_.shown(x_, window) == box) {
            if (Clock::now() >= until) {
                tally_.fail(std::string("the ") + (box == Box::won ? "win" : "loss") +
                            " box was not closed by its answer");
                return;
            }
            std::this_thread::sleep_for(2ms);
        }
    }

    bool ended_cleanly(GameProcess& game)
    {
        ticks_.stop();
        if (!game.exits_zero(5s)) {
            tally_.fail("Cancel did not end the game with status 0");
            return false;
        }
        if (!x_.wait_until_none("Form1", 5s))
            tally_.fail("the game window outlived the game");
        return true;
    }

    void act(Window window)
    {
        switch (between(0, 3)) {
        case 0: { // hold an arrow long enough for auto-repeat
            const unsigned long arrow = chance(0.5) ? XK_Left : XK_Right;
            x_.key_down(arrow);
            std::this_thread::sleep_for(std::chrono::milliseconds(between(300, 1500)));
            x_.key_up(arrow);
            ++tally_.holds;
            break;
        }
        case 1: { // a burst of random keys
            const int count = between(5, 40);
            for (int i = 0; i < count; ++i) {
                std::vector<unsigned long> modifiers;
                if (chance(0.2))
                    modifiers.push_back(any(some_modifiers));
                x_.key(any(some_keys), modifiers);
                std::this_thread::sleep_for(std::chrono::milliseconds(between(0, 20)));
            }
            tally_.keys += count;
            ++tally_.bursts;
            break;
        }
        case 2: probe(window); break;
        default: std::this_thread::sleep_for(std::chrono::milliseconds(between(50, 1500)));
        }
    }

    // The bucket's position as drawn; nothing when the window cannot be read.
    std::optional<std::string> bucket(Window window) const
    {
        const auto image = x_.capture(window);
        if (!image)
            return std::nullopt;
        return bucket_position(screen_board(*image));
    }

    // From the left end, one press of Right reaches the middle; only the
    // server's repeats of a held Right carry the bucket on to the right end.
    void check_auto_repeat(Window window)
    {
        const auto position = [&] { return bucket(window).value_or("none"); };
        const auto settle = [&](const std::string& wanted) {
            const auto until = Clock::now() + 5s;
            while (position() != wanted && Clock::now() < until)
                std::this_thread::sleep_for(5ms);
            return position() == wanted;
        };
        x_.key(XK_Left);
        if (!settle("left")) {
            tally_.fail("Left did not take the bucket to the left end");
            return;
        }
        x_.key_down(XK_Right);
        std::this_thread::sleep_for(600ms);
        x_.key_up(XK_Right);
        if (!settle("right"))
            tally_.fail("a held Right did not repeat: the bucket stopped at " + position());
    }

    // Presses an arrow that must move the bucket and waits for the screen to
    // show it. Five seconds without a change means the game hangs.
    void probe(Window window)
    {
        if (boxes_.shown(x_, window) != Box::none)
            return;
        const auto before = bucket(window);
        if (!before || *before == "none")
            return;
        const auto sent = Clock::now();
        x_.key(*before == "left" ? XK_Right : XK_Left);
        while (Clock::now() < sent + 5s) {
            if (boxes_.shown(x_, window) != Box::none)
                return; // the key may have gone to a game that just ended
            if (const auto after = bucket(window); after && *after != *before) {
                tally_.responses_ms.push_back(ms_between(sent, Clock::now()));
                return;
            }
            std::this_thread::sleep_for(1ms);
        }
        tally_.fail("a key press got no answer on screen within 5 s");
    }

    const XClient& x_;
    TickWatch& ticks_;
    Tally& tally_;
    std::mt19937& random_;
    std::string display_of_game_;
    BoxPictures boxes_;
};

} // namespace
} // namespace blockdrop::window_testing

int main(int argc, char** argv)
{
    using namespace blockdrop::window_testing;
    const double minutes = argc > 1 ? std::max(0.1, std::atof(argv[1])) : 1.0;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                   : std::random_device{}();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("soak: %.1f min, seed %u (replay: window_soak %.1f %u)\n", minutes, seed, minutes,
                seed);

    Tally tally;
    std::vector<double> periods;
    {
        Xvfb server;
        XClient x(server.display());
        // Short enough that every held key repeats, as a held key does on a
        // desktop.
        x.auto_repeat(250ms, 30ms);
        TickWatch ticks(server.display());
        std::mt19937 random(seed);
        Player player(x, ticks, tally, random);
        player.set_display(server.display());
        const auto deadline =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double, std::ratio<60>>(minutes));
        while (Clock::now() < deadline && player.play(deadline)) {
        }
        ticks.stop();
        periods = ticks.periods();
    }

    // The game and the X server are both gone.
    std::this_thread::sleep_for(200ms);
    if (const auto left = running(game_binary()); !left.empty())
        tally.fail(std::to_string(left.size()) + " game process(es) left running");

    // A tick late or early by half a period means one was lost or doubled.
    std::vector<double> errors;
    errors.reserve(periods.size());
    std::string wrong;
    for (const double period : periods) {
        errors.push_back(std::fabs(period - 1000.0));
        if (errors.back() > 500)
            wrong.append(" ").append(std::to_string(std::lround(period)));
    }
    if (!wrong.empty())
        tally.fail("tick periods off by more than 500 ms (ms):" + wrong);
    if (periods.size() < static_cast<std::size_t>(minutes * 60 / 4))
        tally.fail("only " + std::to_string(periods.size()) + " ticks seen");

    // Memory from game to game within one process: a leak per game grows it.
    double growth = 0;
    std::string per_game;
    for (const auto& process : tally.resident_mb) {
        if (process.empty())
            continue;
        if (!per_game.empty())
            per_game += " | ";
        for (const double mb : process)
            per_game += std::to_string(mb).substr(0, 5) + " ";
        if (process.size() >= 2)
            growth = std::max(growth, process.back() - process.front());
    }
    if (growth > 0.5)
        tally.fail("resident memory grew by " + std::to_string(growth) + " MB within one process");

    std::printf("| measure | value |\n|---|---|\n");
    std::printf("| game processes / games | %d / %d |\n", tally.processes, tally.games);
    std::printf("| wins / losses replayed / cancelled | %d / %d / %d |\n", tally.wins,
                tally.replays, tally.cancels);
    std::printf("| held arrows / key bursts / burst keys | %d / %d / %ld |\n", tally.holds,
                tally.bursts, tally.keys);
    std::printf("| key to screen, median / p95 (ms) | %.2f / %.2f (%zu probes) |\n",
                median(tally.responses_ms), percentile(tally.responses_ms, 0.95),
                tally.responses_ms.size());
    std::printf("| tick period error, median / worst (ms) | %.2f / %.2f (%zu periods) |\n",
                median(errors), worst(errors), periods.size());
    std::printf("| resident MB at each game's end, by process | %s |\n", per_game.c_str());
    std::printf("| largest growth within a process (MB) | %.2f |\n", growth);
    if (!tally.failures.empty()) {
        std::printf("soak: FAILED (%zu problems; seed %u)\n", tally.failures.size(), seed);
        return 1;
    }
    std::printf("soak: passed\n");
    return 0;
}
