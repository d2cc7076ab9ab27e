// What a player feels, measured on the real game under Xvfb: start-up time,
// memory, idle CPU, the clock's cadence and key-to-screen latency. Prints
// one table of medians over several runs. With `wine`, the Windows game
// under Wine instead ($WINEPREFIX and $BLOCKDROP_WINDOWS_GAME, as the Wine
// tests have them), with a row for the CPU of Wine's own processes.
//   build/bench/window_bench [runs] [idle seconds] [wine]
#include "tests/window/figures.hpp"
#include "tests/window/screen_board.hpp"
#include "tests/window/wine_session.hpp"
#include "tests/window/x_session.hpp"

#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace blockdrop::window_testing {
namespace {

// Nanoseconds the process has spent on a CPU (first field of schedstat).
double cpu_ns(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = 0;
    file >> ns;
    return ns;
}

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
                   [](const XClient& /*x*/, Window /*window*/) {
                       return Area{0, 0, 406, 424};
                   }};
}

Subject windows_game_under_wine()
{
    return Subject{start_windows_game, [](const XClient& x, Window window) {
                       return client_area(x.size(window), 406, 424);
                   }};
}

std::optional<Image> client_pixels(const XClient& x, Window window, const Subject& subject,
                                   int left, int top, int width, int height)
{
    const Area client = subject.client(x, window);
    return x.capture(window, client.left + left, client.top + top, width, height);
}

bool drawn(const XClient& x, Window window, const Subject& subject)
{
    const auto image = client_pixels(x, window, subject, 0, 0, 50, 200);
    return image && image->at(16, 16) == Rgb{0, 0, 0} && image->at(40, 184) == Rgb{255, 255, 255};
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
};

// Starts the game, waits for its first drawn board, then watches the shaft
// with no input for `seconds`: each change of the shaft is a tick.
Run idle_run(const XClient& x, const std::string& display, int seconds, const Subject& subject,
             bool wine)
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
    const double helpers_start = wine ? wine_helpers_cpu_ns(game.pid()) : NAN;
    // Once the game is lost the dialog stays up and the shaft stands still,
    // so every change seen is a tick.
    auto last = shaft_pixels(x, *window, subject);
    std::optional<Clock::time_point> first_tick;
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
    }
    const double cpu_end = cpu_ns(game.pid());
    run.idle_cpu_percent = (cpu_end - cpu_start) / 1e9 / seconds * 100.0;
    if (wine)
        run.helpers_cpu_percent =
            (wine_helpers_cpu_ns(game.pid()) - helpers_start) / 1e9 / seconds * 100.0;
    run.peak_rss_mb = process_memory_mb(game.pid(), "VmHWM");
    return run;
}

// Key presses through XTEST, timed until the bucket's edge cell changes on
// screen.
std::vector<double> key_latencies(const XClient& x, const std::string& display, int presses,
                                  const Subject& subject)
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
    for (int i = 0; i < presses && !x.find("You Lost") && !x.find("You Won"); ++i) {
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
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<double> first_board;
    std::vector<double> rss;
    std::vector<double> cpu;
    std::vector<double> helpers_cpu;
    std::vector<double> interval_error;
    std::vector<double> grid_error;
    std::vector<double> drift30;
    std::vector<double> keys;
    for (int i = 0; i < runs; ++i) {
        std::fprintf(stderr, "run %d of %d (%d s idle)...\n", i + 1, runs, seconds);
        const Run run = idle_run(x, server.display(), seconds, subject, wine);
        first_board.push_back(run.first_board_ms);
        rss.push_back(run.peak_rss_mb);
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
        const auto latencies = key_latencies(x, server.display(), 40, subject);
        x.wait_until_none("Form1", 5s);
        keys.insert(keys.end(), latencies.begin(), latencies.end());
    }

    // Under Wine, rows of their own for the same table, told apart by name.
    const char* tag = wine ? "Wine: " : "";
    if (!wine)
        std::printf("| measure | median | worst / p95 | samples |\n|---|---|---|---|\n");
    std::printf("| %sexec to first drawn board (ms) | %.1f | %.1f | %zu |\n", tag,
                median(first_board), percentile(first_board, 1.0), first_board.size());
    std::printf("| %speak resident memory (MB) | %.1f | %.1f | %zu |\n", tag, median(rss),
                percentile(rss, 1.0), rss.size());
    std::printf("| %sCPU over %d s with no input (%%) | %.3f | %.3f | %zu |\n", tag, seconds,
                median(cpu), percentile(cpu, 1.0), cpu.size());
    if (wine)
        std::printf("| %sCPU of Wine's own processes meanwhile (%%) | %.3f | %.3f | %zu |\n", tag,
                    median(helpers_cpu), percentile(helpers_cpu, 1.0), helpers_cpu.size());
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
