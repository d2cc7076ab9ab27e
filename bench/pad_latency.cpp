// Pad press to changed pixels on the desktop: the game's loop with an SDL
// virtual pad (build/tests/blockdrop_test_game) in Xvfb; each press of the
// D-pad is timed from the write of the command to the first picture of the
// window with the bucket moved. Prints the median, the 95th percentile and
// the slowest.
//   build/bench/pad_latency [presses, default 40]
#include "tests/on_screen/screen_board.hpp"
#include "tests/on_screen/x_session.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace blockdrop::window_testing;

int main(int argc, char** argv)
{
    const int presses = argc > 1 ? std::atoi(argv[1]) : 40;
    const auto fifo = std::filesystem::temp_directory_path() /
                      ("blockdrop-pad-latency-" + std::to_string(getpid()));
    if (mkfifo(fifo.c_str(), 0600) != 0)
        return 1;
    Xvfb server;
    XClient x(server.display());
    GameProcess game({BLOCKDROP_TEST_GAME}, server.display(), {{"BLOCKDROP_PAD_SCRIPT", fifo}});
    const int script = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    std::filesystem::remove(fifo);
    const auto window = x.wait_for("Form1", 10s);
    if (script < 0 || !window)
        return 1;
    const auto say = [script](const std::string& line) {
        const std::string text = line + "\n";
        return write(script, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    };
    const auto bucket = [&] {
        const auto image = x.capture(*window);
        return image ? bucket_position(screen_board(*image)) : std::string();
    };
    say("attach 0");
    std::this_thread::sleep_for(500ms);
    std::vector<double> ms;
    for (int press = 0; press < presses; ++press) {
        const bool left = bucket() != "left";
        const std::string button = left ? "dpleft" : "dpright";
        const std::string before = bucket();
        const auto start = Clock::now();
        say("press 0 " + button);
        while (bucket() == before && Clock::now() - start < 2s) {
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        say("release 0 " + button);
        std::this_thread::sleep_for(100ms);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("| pad press to changed pixels, desktop (ms, median / 95th percentile / slowest "
                "of %d) | %.1f / %.1f / %.1f |\n",
                presses, ms[ms.size() / 2], ms[(ms.size() * 95 + 99) / 100 - 1], ms.back());
    close(script);
    return 0;
}
