// What a player feels, measured on the real game under Xvfb: start-up time
// at 96 and at 192 dpi, memory, idle CPU, the clock's cadence, how soon the
// loss box is on screen and key-to-screen latency. Prints one table of
// medians over several runs. With `wine`, the Windows game under Wine
// instead ($WINEPREFIX and $BLOCKDROP_WINDOWS_GAME, as the Wine tests have
// them), with a row for the CPU of Wine's own processes; its loss box is the
// system's own, and its scale is the prefix's, so those rows are left out.
//   build/bench/window_bench [runs] [idle seconds] [wine]
#include "tests/on_screen/figures.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/screen_box.hpp"
#include "tests/on_screen/wine_session.hpp"
#include "tests/on_screen/x_session.hpp"

#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace blockdrop::window_testing {
namespace {

// The game measured: how it starts, and where its client area lies in its
// X window (the whole window on the desktop; inside the frame Wine draws).
struct Subject {
    std::function<std::unique_ptr<GameProcess>(const std::string& display)> start;
    std::function<Area(const XClient& x, Window window)> client;
};

Subject desktop_game()
{
    return Subject{[](const std::string& display) {
                       return std::make_unique<GameProcess>(game_binary(), display);
                   },
                   [](const XClient& x, Window window) {
                       const auto [width, height] = x.size(window);
                       return Area{0, 0, width, height};
                   }};
}

Subject windows_game_under_wine()
{
    return Subject{
        [](const std::string& display) { return start_windows_game(display); },
        [](const XClient& x, Window window) { return client_area(x.size(window), 406, 424); }};
}

std::optional<Image> client_pixels(const XClient& x, Window window, const Subject& subject,
                                   int left, int top, int width, int height)
{
    const Area client = subject.client(x, window);
    return x.capture(window, client.left + left, client.top + top, width, height);
}

// The first board is on screen: a wall cell black and a bucket cell white.
bool drawn(const XClient& x, Window window, const Subject& subject, double scale = 1.0)
{
    const CellBox wall = cell_box(0, 0, scale);
    const CellBox bucket = cell_box(1, 5, scale);
    const auto image =
        client_pixels(x, window, subject, 0, 0, bucket.x + bucket.width, bucket.y + bucket.height);
    return image && image->at(wall.x + wall.width / 2, wall.y + wall.height / 2) == Rgb{0, 0, 0} &&
           image->at(bucket.x + bucket.width / 2, bucket.y + bucket.height / 2) ==
               Rgb{255, 255, 255};
}

// Milliseconds from exec to the first drawn board, on a display whose
// desktop scale is `scale`; NaN if no board came within 10 s.
double first_board_ms(const XClient& x, const std::string& display, double scale)
{
    GameProcess game(game_binary(), display);
    std::optional<Window> window;
    while (!window || !drawn(x, *window, desktop_game(), scale)) {
        if (!window)
            window = x.find("Form1");
        if (ms_between(game.started(), Clock::now()) > 10000)
            return NAN;
    }
    return ms_between(game.started(), Clock::now());
}

std::optional<Image> shaft_pixels(const XClient& x, Window window, const Subject& subject)
{
    return client_pixels(x, window, subject, 0, 0, 231, 165);
}

// The CPU time of the prefix's own processes, all but the game.
double wine_helpers_cpu_ns(pid_t game)
{
    double ns = 0;
    for (const pid_t pid : wine_prefix_processes()) {
        if (pid != game)
            ns += cpu_ns(pid);
    }
    return ns;
}

struct Run {
    double first_board_ms = NAN;
    double peak_rss_mb = NAN;
    double idle_cpu_percent = NAN;
    double helpers_cpu_percent = NAN;
    std::vector<double> tick_times_ms; // since the first tick of the game
    // From the grid point of the tick that lost the game to the loss box on
    // screen; NaN when the game was not lost within the run.
    double box_ms = NAN;
};

// Starts the game, waits for its first drawn board, then watches the shaft
// with no input for `seconds`: each change of the shaft is a tick.
Run idle_run(const XClient& x, const std::string& display, int seconds, const Subject& subject,
             const BoxPictures* boxes)
{
    Run run;
    const auto started = subject.start(display);
    const GameProcess& game = *started;
    std::optional<Window> window;
    while (!window || !drawn(x, *window, subject)) {
        if (!window)
            window = x.find("Form1");
        if (ms_between(game.started(), Clock::now()) > 10000)
            return run;
    }
    const auto first_board = Clock::now();
    run.first_board_ms = ms_between(game.started(), first_board);

    const double cpu_start = cpu_ns(game.pid());
    const bool wine = boxes == nullptr;
    const double helpers_start = wine ? wine_helpers_cpu_ns(game.pid()) : NAN;
    // Once the game is lost the dialog stays up and the shaft stands still,
    // so every change seen is a tick.
    auto last = shaft_pixels(x, *window, subject);
    std::optional<Clock::time_point> first_tick;
    bool lost = false;
    while (Clock::now() < first_board + std::chrono::seconds(seconds)) {
        std::this_thread::sleep_for(500us);
        auto now = shaft_pixels(x, *window, subject);
        const auto seen = Clock::now();
        if (now && last && now->pixels != last->pixels) {
            if (!first_tick)
                first_tick = seen;
            run.tick_times_ms.push_back(ms_between(*first_tick, seen));
        }
        last = std::move(now);
        // The box is drawn by the tick that lost, on the grid the ticks
        // before it were seen on.
        if (!lost && first_tick && boxes != nullptr && boxes->shown(x, *window) == Box::lost) {
            lost = true;
            const double since_first = ms_between(*first_tick, Clock::now());
            run.box_ms = since_first - 1000.0 * std::floor(since_first / 1000.0);
        }
    }
    const double cpu_end = cpu_ns(game.pid());
    run.idle_cpu_percent = (cpu_end - cpu_start) / 1e9 / seconds * 100.0;
    if (wine)
        run.helpers_cpu_percent =
            (wine_helpers_cpu_ns(game.pid()) - helpers_start) / 1e9 / seconds * 100.0;
    run.peak_rss_mb = process_memory_mb(game.pid(), "VmHWM");
    return run;
}

// The game switched to full screen (F11) on a screen of `size` under a
// window manager: its CPU over `seconds` with no input, ticks included, and
// its peak memory. NaNs when it never covered the screen.
std::pair<double, double> full_screen_run(std::pair<int, int> size, int seconds,
                                          const Subject& subject)
{
    Xvfb server({"-screen", "0",
                 std::to_string(size.first) + "x" + std::to_string(size.second) + "x24"});
    XClient x(server.display());
    const GameProcess manager(std::vector<std::string>{"evilwm", "-fn", "fixed", "-bw", "0"},
                              server.display(), std::vector<EnvChange>{});
    const auto game = subject.start(server.display());
    const auto window = x.wait_for("Form1", 10s);
    if (!window)
        return {NAN, NAN};
    std::this_thread::sleep_for(500ms);
    x.focus(*window);
    x.key(XK_F11);
    if (!wait_until([&] { return x.size(*window) == size; }, 5s))
        return {NAN, NAN};
    std::this_thread::sleep_for(1s);
    const double start = cpu_ns(game->pid());
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return {(cpu_ns(game->pid()) - start) / 1e9 / seconds * 100.0,
            process_memory_mb(game->pid(), "VmHWM")};
}

// Key presses through XTEST, timed until the bucket's edge cell changes on
// screen.
std::vector<double> key_latencies(const XClient& x, const std::string& display, int presses,
                                  const Subject& subject, const BoxPictures* boxes)
{
    std::vector<double> latencies;
    const auto started = subject.start(display);
    const GameProcess& game = *started;
    const auto window = x.wait_for("Form1", 10s);
    if (!window)
        return latencies;
    while (!drawn(x, *window, subject)) {
        if (ms_between(game.started(), Clock::now()) > 10000)
            return latencies;
        std::this_thread::sleep_for(1ms);
    }
    x.focus(*window);
    // Column 0 of row 7 is drawn only while the bucket stands at the left.
    const auto column0 = [&] {
        const auto image = client_pixels(x, *window, subject, 16, 250, 1, 1);
        return image ? image->at(0, 0) : Rgb{};
    };
    // A box ends the presses: the game's own in its window, or Wine's.
    const auto box_up = [&] {
        return boxes != nullptr ? boxes->shown(x, *window) != Box::none
                                : x.find("You Lost") || x.find("You Won");
    };
    for (int i = 0; i < presses && !box_up(); ++i) {
        const Rgb before = column0();
        const auto sent = Clock::now();
        x.key(i % 2 == 0 ? XK_Left : XK_Right);
        while (column0() == before && ms_between(sent, Clock::now()) < 1000) {
        }
        latencies.push_back(ms_between(sent, Clock::now()));
        std::this_thread::sleep_for(100ms);
    }
    return latencies;
}

} // namespace
} // namespace blockdrop::window_testing

int main(int argc, char** argv)
{
    using namespace blockdrop::window_testing;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? std::max(5, std::atoi(argv[2])) : 30;
    const bool wine = argc > 3 && std::string(argv[3]) == "wine";
    const Subject subject = wine ? windows_game_under_wine() : desktop_game();

    Xvfb server;
    XClient x(server.display());
    // A desktop at 192 dpi, on a screen that holds the window at that size.
    Xvfb server192({"-screen", "0", "1600x1200x24"});
    XClient x192(server192.display());
    x192.set_resources("Xft.dpi:\t192\n");
    const BoxPictures pictures;
    const BoxPictures* boxes = wine ? nullptr : &pictures;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<double> first_board192;
    std::vector<double> box_ms;
    std::vector<double> rss_after_box;
    std::vector<double> first_board;
    std::vector<double> rss;
    std::vector<double> cpu;
    std::vector<double> helpers_cpu;
    std::vector<double> interval_error;
    std::vector<double> grid_error;
    std::vector<double> drift30;
    std::vector<double> keys;
    const std::vector<std::pair<int, int>> screens{{1920, 1080}, {3840, 2160}};
    std::vector<std::vector<double>> full_cpu(screens.size());
    std::vector<std::vector<double>> full_rss(screens.size());
    for (int i = 0; i < runs; ++i) {
        std::fprintf(stderr, "run %d of %d (%d s idle)...\n", i + 1, runs, seconds);
        const Run run = idle_run(x, server.display(), seconds, subject, boxes);
        first_board.push_back(run.first_board_ms);
        rss.push_back(run.peak_rss_mb);
        box_ms.push_back(run.box_ms);
        if (!std::isnan(run.box_ms))
            rss_after_box.push_back(run.peak_rss_mb);
        cpu.push_back(run.idle_cpu_percent);
        helpers_cpu.push_back(run.helpers_cpu_percent);
        const auto& t = run.tick_times_ms;
        // Deviation of each tick from the grid laid from the game's first
        // tick, and the drift as the least-squares slope of those deviations
        // scaled to 30 ticks: a game cannot last 30 ticks, since the bucket
        // is full or overflows within about 25.
        double sum_k = 0;
        double sum_d = 0;
        double sum_kk = 0;
        double sum_kd = 0;
        for (std::size_t k = 0; k < t.size(); ++k) {
            const double d = t[k] - 1000.0 * static_cast<double>(k);
            grid_error.push_back(d);
            if (k > 0)
                interval_error.push_back(t[k] - t[k - 1] - 1000.0);
            sum_k += static_cast<double>(k);
            sum_d += d;
            sum_kk += static_cast<double>(k * k);
            sum_kd += static_cast<double>(k) * d;
        }
        const auto n = static_cast<double>(t.size());
        if (n > 2)
            drift30.push_back((n * sum_kd - sum_k * sum_d) / (n * sum_kk - sum_k * sum_k) * 30.0);
        x.wait_until_none("Form1", 5s);
        const auto latencies = key_latencies(x, server.display(), 40, subject, boxes);
        x.wait_until_none("Form1", 5s);
        keys.insert(keys.end(), latencies.begin(), latencies.end());
        if (!wine) {
            first_board192.push_back(first_board_ms(x192, server192.display(), 2.0));
            x192.wait_until_none("Form1", 5s);
            for (std::size_t s = 0; s < screens.size(); ++s) {
                const auto [percent, mb] = full_screen_run(screens[s], seconds, subject);
                full_cpu[s].push_back(percent);
                full_rss[s].push_back(mb);
            }
        }
    }

    // Under Wine, rows of their own for the same table, told apart by name.
    const char* tag = wine ? "Wine: " : "";
    if (!wine)
        std::printf("| measure | median | worst / p95 | samples |\n|---|---|---|---|\n");
    std::printf("| %sexec to first drawn board at 96 dpi (ms) | %.1f | %.1f | %zu |\n", tag,
                median(first_board), percentile(first_board, 1.0), first_board.size());
    if (!wine)
        std::printf("| exec to first drawn board at 192 dpi (ms) | %.1f | %.1f | %zu |\n",
                    median(first_board192), percentile(first_board192, 1.0), first_board192.size());
    std::printf("| %speak resident memory (MB) | %.1f | %.1f | %zu |\n", tag, median(rss),
                percentile(rss, 1.0), rss.size());
    if (!wine) {
        std::printf(
            "| peak resident memory, runs that drew the loss box (MB) | %.1f | %.1f | %zu |\n",
            median(rss_after_box), percentile(rss_after_box, 1.0), rss_after_box.size());
        const auto boxes_seen = static_cast<std::size_t>(
            std::count_if(box_ms.begin(), box_ms.end(), [](double v) { return !std::isnan(v); }));
        std::printf("| losing tick to the loss box on screen (ms) | %.2f | %.2f | %zu |\n",
                    median(box_ms), percentile(box_ms, 1.0), boxes_seen);
    }
    std::printf("| %sCPU over %d s with no input (%%) | %.3f | %.3f | %zu |\n", tag, seconds,
                median(cpu), percentile(cpu, 1.0), cpu.size());
    if (wine)
        std::printf("| %sCPU of Wine's own processes meanwhile (%%) | %.3f | %.3f | %zu |\n", tag,
                    median(helpers_cpu), percentile(helpers_cpu, 1.0), helpers_cpu.size());
    for (std::size_t s = 0; s < full_cpu.size() && !wine; ++s) {
        std::printf("| full screen at %dx%d: CPU over %d s with no input (%%) | %.3f | %.3f | %zu |\n",
                    screens[s].first, screens[s].second, seconds, median(full_cpu[s]),
                    percentile(full_cpu[s], 1.0), full_cpu[s].size());
        std::printf("| full screen at %dx%d: peak resident memory (MB) | %.1f | %.1f | %zu |\n",
                    screens[s].first, screens[s].second, median(full_rss[s]),
                    percentile(full_rss[s], 1.0), full_rss[s].size());
    }
    std::printf("| %stick period minus 1000 ms (ms) | %.2f | %.2f | %zu |\n", tag,
                median(interval_error), worst(interval_error), interval_error.size());
    std::printf("| %stick offset from its grid point (ms) | %.2f | %.2f | %zu |\n", tag,
                median(grid_error), worst(grid_error), grid_error.size());
    const auto late = std::count_if(grid_error.begin(), grid_error.end(),
                                    [](double d) { return std::fabs(d) > 2.0; });
    std::printf("| %sticks more than 2 ms off their grid point | %ld of %zu | | %zu |\n", tag,
                static_cast<long>(late), grid_error.size(), grid_error.size());
    std::printf("| %sdrift after 30 ticks (ms) | %.2f | %.2f | %zu |\n", tag, median(drift30),
                worst(drift30), drift30.size());
    std::printf("| %skey press to changed pixels (ms) | %.2f | %.2f (p95) | %zu |\n", tag,
                median(keys), percentile(keys, 0.95), keys.size());
    return 0;
}
