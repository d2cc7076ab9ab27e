// The libretro core as a frontend runs it with its throttle off: frames a
// second and CPU per frame in play (the board ticking, the bucket shifted
// now and then), CPU per frame that is drawn anew, and the time to save and
// restore a state, as rewind does every frame and run-ahead twice a frame.
// Medians of 5 runs.
#include "tests/libretro/core_host.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace blockdrop::libretro_testing;

double cpu_seconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    // Ten ticks: a game, before a loss or a win can stop it.
    constexpr int frames = 600;
    constexpr int states = 20000;
    std::vector<double> per_second;
    std::vector<double> cpu_per_frame;
    std::vector<double> drawn_us;
    std::vector<double> save_us;
    std::vector<double> restore_us;
    CoreHost core(BLOCKDROP_CORE);
    if (!core.load())
        return 1;
    // The core's own cost: the frontend's copy of each frame is not.
    core.keep_frames(false);
    for (int run = 0; run < 5; ++run) {
        core.reset();
        const auto began = std::chrono::steady_clock::now();
        const double cpu = cpu_seconds();
        for (int frame = 0; frame < frames; ++frame)
            core.run(Held{frame % 90 == 0 ? button(frame % 180 == 0 ? RETRO_DEVICE_ID_JOYPAD_LEFT
                                                                   : RETRO_DEVICE_ID_JOYPAD_RIGHT)
                                          : 0u});
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
        per_second.push_back(frames / took.count());
        cpu_per_frame.push_back((cpu_seconds() - cpu) / frames * 1e6);

        // The bucket moved every other frame: each of those frames drawn anew.
        core.reset();
        const double moving = cpu_seconds();
        for (int frame = 0; frame < frames; ++frame)
            core.run(Held{frame % 4 == 0   ? button(RETRO_DEVICE_ID_JOYPAD_LEFT)
                          : frame % 4 == 2 ? button(RETRO_DEVICE_ID_JOYPAD_RIGHT)
                                           : 0u});
        drawn_us.push_back((cpu_seconds() - moving) / (frames / 2.0) * 1e6);

        std::vector<unsigned char> state = core.save();
        auto at = std::chrono::steady_clock::now();
        for (int i = 0; i < states; ++i)
            state = core.save();
        save_us.push_back(std::chrono::duration<double, std::micro>(
                              std::chrono::steady_clock::now() - at).count() / states);
        at = std::chrono::steady_clock::now();
        for (int i = 0; i < states; ++i)
            core.restore(state);
        restore_us.push_back(std::chrono::duration<double, std::micro>(
                                 std::chrono::steady_clock::now() - at).count() / states);
    }
    std::printf("frames a second, throttle off:  %.0f\n", median(per_second));
    std::printf("CPU per frame:                  %.1f us\n", median(cpu_per_frame));
    std::printf("CPU per frame drawn anew:       %.1f us\n", median(drawn_us));
    std::printf("save a state (%zu bytes):      %.2f us\n", core.save().size(), median(save_us));
    std::printf("restore it:                     %.2f us\n", median(restore_us));
    return 0;
}
