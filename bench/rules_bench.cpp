// Times the two handlers that run during play on a busy board: a shaft with a
// piece in every row and a bucket half full.
#include "board/form.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"
#include "shell/platform.hpp"
#include "tests/support/board_picture.hpp"
#include "tests/support/scripted_platform.hpp"

#include <benchmark/benchmark.h>

namespace blockdrop {
namespace {

const char* const busy_board = R"(
    K...R.K
    KG....K
    K....BK
    K.R...K
    K..G..K
    .ooooo.
    .oGoBR.
    .RBGRB.)";

testing::ScriptedPlatform cycling_platform()
{
    testing::ScriptedPlatform platform;
    platform.next_draw = [r = 0.0]() mutable {
        r += 0.377;
        r -= static_cast<int>(r);
        return r;
    };
    return platform;
}

Form1 busy(testing::ScriptedPlatform& platform)
{
    Form1 form = testing::new_game(platform);
    testing::paint(form, busy_board);
    return form;
}

// What copying the busy board costs, to subtract from the tick's figure.
void BM_CopyBoard(benchmark::State& state)
{
    testing::ScriptedPlatform platform = cycling_platform();
    const Form1 start = busy(platform);
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's own idiom
        Form1 form = start;
        benchmark::DoNotOptimize(form);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyBoard);

// Each iteration ticks a fresh copy of the busy board: one landing, four
// falls and a spawn.
void BM_Clock_Timer(benchmark::State& state)
{
    testing::ScriptedPlatform platform = cycling_platform();
    const Form1 start = busy(platform);
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's own idiom
        Form1 form = start;
        Clock_Timer(form, platform);
        benchmark::DoNotOptimize(form);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Clock_Timer);

// Left and Right in turn, so every call moves all 21 bucket-row cells.
void BM_Form_KeyDown(benchmark::State& state)
{
    testing::ScriptedPlatform platform = cycling_platform();
    Form1 form = busy(platform);
    int key = key_left;
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's own idiom
        Form_KeyDown(form, key, 0);
        key = key == key_left ? key_right : key_left;
        benchmark::DoNotOptimize(form);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Form_KeyDown);

// A key the game ignores: the floor of what any key press costs.
void BM_Form_KeyDown_ignored(benchmark::State& state)
{
    testing::ScriptedPlatform platform = cycling_platform();
    Form1 form = busy(platform);
    for (auto _ : state) { // NOLINT(clang-analyzer-deadcode.DeadStores): the loop's own idiom
        Form_KeyDown(form, 38, 0);
        benchmark::DoNotOptimize(form);
    }
}
BENCHMARK(BM_Form_KeyDown_ignored);

} // namespace
} // namespace blockdrop

BENCHMARK_MAIN();
