// The desktop game natively on Wayland (a headless sway) beside X11
// (Xvfb), at the scales 1, 1.5 and 2: exec to the first drawn board, peak
// resident memory and CPU with no input, medians over several runs.
//   build/bench/wayland_bench [runs] [idle seconds] [scales, default "1 1.5 2"]
#include "tests/on_screen/figures.hpp"
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/wayland_session.hpp"
#include "tests/on_screen/x_session.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace blockdrop::window_testing {
namespace {

double ms_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    std::vector<double> first_board_ms, peak_mb, cpu_percent;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double worst(const std::vector<double>& values)
{
    return values.empty() ? NAN : *std::max_element(values.begin(), values.end());
}

// The first board is on screen: a wall cell black and a bucket cell white,
// at the scale the game draws at.
bool drawn(const Image& image, double scale)
{
    const CellBox wall = cell_box(0, 0, scale);
    const CellBox bucket = cell_box(1, 5, scale);
    return image.width >= bucket.x + bucket.width && image.height >= bucket.y + bucket.height &&
           image.at(wall.x + wall.width / 2, wall.y + wall.height / 2) == Rgb{0, 0, 0} &&
           image.at(bucket.x + bucket.width / 2, bucket.y + bucket.height / 2) ==
               Rgb{255, 255, 255};
}

// The figures of a game whose first board has just shown: that time, its
// CPU over `idle_seconds` of idling, and its peak resident memory.
void take_figures(const GameProcess& game, int idle_seconds, Figures& figures)
{
    figures.first_board_ms.push_back(ms_since(game.started()));
    const double cpu_start = cpu_ns(game.pid()) / 1e9;
    std::this_thread::sleep_for(std::chrono::seconds(idle_seconds));
    figures.cpu_percent.push_back((cpu_ns(game.pid()) / 1e9 - cpu_start) / idle_seconds * 100.0);
    figures.peak_mb.push_back(process_memory_mb(game.pid(), "VmHWM"));
}

// One native run on a fresh sway at `scale`; the first board is seen
// through screenshots, so its time is as coarse as one grim run.
void wayland_run(double scale, int idle_seconds, Figures& figures)
{
    Sway sway;
    sway.set_scale(scale);
    GameProcess game(sway.as_its_user({sway.reachable(game_binary())}), "",
                     sway.native_environment());
    for (;;) {
        if (ms_since(game.started()) > 10000)
            return;
        const auto area = sway.window_of(game.pid());
        const auto image = area ? sway.capture(*area) : std::nullopt;
        // In the output's device pixels: at 1.5 the compositor reduces the
        // game's picture at 2, whose cells' middles stay their colours.
        if (image && drawn(*image, scale))
            break;
    }
    take_figures(game, idle_seconds, figures);
}

// One native run full screen (F11) on an output of `size` at scale 1: its
// figures once it covers the output.
void wayland_full_screen_run(std::pair<int, int> size, int idle_seconds, Figures& figures)
{
    Sway sway;
    const std::string mode = std::to_string(size.first) + "x" + std::to_string(size.second);
    sway.run({"swaymsg", "output", "HEADLESS-1", "mode", mode});
    GameProcess game(sway.as_its_user({sway.reachable(game_binary())}), "",
                     sway.native_environment());
    const auto covers = [&] {
        const auto area = sway.window_of(game.pid());
        return area && area->width == size.first && area->height == size.second;
    };
    for (;;) {
        if (ms_since(game.started()) > 10000)
            return;
        const auto area = sway.window_of(game.pid());
        const auto image = area ? sway.capture(*area) : std::nullopt;
        if (image && drawn(*image, 1.0))
            break;
    }
    sway.key("F11");
    if (!wait_until(covers, 5s))
        return;
    std::this_thread::sleep_for(1s);
    take_figures(game, idle_seconds, figures);
}

// One X11 run in Xvfb with the desktop's Xft.dpi at 96 x `scale`.
void x11_run(double scale, int idle_seconds, Figures& figures)
{
    // A screen the window fits at scale 2.
    Xvfb server({"-screen", "0", "1920x1200x24"});
    XClient x(server.display());
    x.set_resources("Xft.dpi:\t" + std::to_string(static_cast<int>(96 * scale)) + "\n");
    GameProcess game(game_binary(), server.display());
    std::optional<Window> window;
    for (;;) {
        if (ms_since(game.started()) > 10000)
            return;
        if (!window)
            window = x.find("Form1");
        const auto image = window ? x.capture(*window) : std::nullopt;
        if (image && drawn(*image, scale))
            break;
    }
    take_figures(game, idle_seconds, figures);
}

void print(const char* where, double scale, const Figures& figures, int idle_seconds)
{
    std::printf("| %s: exec to first drawn board at scale %g (ms) | %.1f | %.1f | %zu |\n", where,
                scale, median(figures.first_board_ms), worst(figures.first_board_ms),
                figures.first_board_ms.size());
    std::printf("| %s: peak resident memory at scale %g (MB) | %.1f | %.1f | %zu |\n", where, scale,
                median(figures.peak_mb), worst(figures.peak_mb), figures.peak_mb.size());
    std::printf("| %s: CPU over %d s with no input at scale %g (%%) | %.3f | %.3f | %zu |\n", where,
                idle_seconds, scale, median(figures.cpu_percent), worst(figures.cpu_percent),
                figures.cpu_percent.size());
}

} // namespace
} // namespace blockdrop::window_testing

int main(int argc, char** argv)
{
    using namespace blockdrop::window_testing;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int idle_seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    // Rows for the table window_bench starts.
    std::vector<double> scales = {1.0, 1.5, 2.0};
    if (argc > 3) {
        scales.clear();
        std::istringstream list(argv[3]);
        for (double scale = 0; list >> scale;)
            scales.push_back(scale);
    }
    for (const double scale : scales) {
        Figures wayland;
        Figures x11;
        for (int i = 0; i < runs; ++i) {
            std::fprintf(stderr, "scale %g, run %d of %d...\n", scale, i + 1, runs);
            wayland_run(scale, idle_seconds, wayland);
            x11_run(scale, idle_seconds, x11);
        }
        print("Wayland, native", scale, wayland, idle_seconds);
        print("X11 (Xft.dpi)", scale, x11, idle_seconds);
    }
    for (const auto& size : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
        Figures full;
        for (int i = 0; i < runs; ++i) {
            std::fprintf(stderr, "full screen at %dx%d, run %d of %d...\n", size.first, size.second,
                         i + 1, runs);
            wayland_full_screen_run(size, idle_seconds, full);
        }
        const std::string where =
            "Wayland, native, full screen at " + std::to_string(size.first) + "x" +
            std::to_string(size.second);
        print(where.c_str(), 1.0, full, idle_seconds);
    }
    return 0;
}
