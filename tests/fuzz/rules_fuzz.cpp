// Plays the game from the fuzzer's bytes and checks the board's invariants
// after every event. The bytes are a sequence of events:
//   tick:   its two random draws, each a byte scaled into [0, 1) or, now and
//           then, eight raw bytes of a double (NaN and infinities included)
//   key:    any key code, any modifier state
//   answer: the answer the next dialogs get, any integer
// Cancel (or any answer that ends the program) starts the program afresh.
#include "board/form.hpp"
#include "board/setup.hpp"
#include "play/bucket_shift.hpp"
#include "play/clock_tick.hpp"
#include "tests/support/board_picture.hpp"
#include "tests/support/invariants.hpp"
#include "tests/support/scripted_platform.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace blockdrop;

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }

    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    double draw()
    {
        const std::uint8_t b = byte();
        if (b < 0xF8)
            return b / 248.0;
        double raw = 0;
        std::uint8_t bytes[sizeof raw] = {};
        for (std::uint8_t& x : bytes)
            x = byte();
        std::memcpy(&raw, bytes, sizeof raw);
        return raw;
    }

    int integer()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return static_cast<int>(value);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void check(const Form1& form, std::size_t event)
{
    const auto broken = testing::invariant_violations(form);
    if (broken.empty())
        return;
    std::fprintf(stderr, "after event %zu:\n", event);
    for (const auto& line : broken)
        std::fprintf(stderr, "  %s\n", line.c_str());
    std::fprintf(stderr, "%s\n", testing::picture(form).c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes bytes(data, size);
    testing::ScriptedPlatform platform;
    int answer = answer_ok;
    platform.next_draw = [&bytes] { return bytes.draw(); };
    platform.next_answer = [&answer](const testing::Dialog&) { return answer; };

    Form1 form = testing::new_game(platform);
    check(form, 0);
    for (std::size_t event = 1; !bytes.empty(); ++event) {
        const std::uint8_t op = bytes.byte();
        try {
            switch (op % 4) {
            case 0:
            case 1: Clock_Timer(form, platform); break;
            case 2: {
                const std::uint8_t pick = bytes.byte();
                const int code = pick % 4 == 0   ? key_left
                                 : pick % 4 == 1 ? key_right
                                                 : bytes.integer();
                Form_KeyDown(form, code, bytes.integer());
                break;
            }
            default: answer = bytes.byte() % 2 == 0 ? answer_ok : bytes.integer(); break;
            }
        } catch (const testing::ProgramEnded&) {
            load_window(form, platform);
        }
        check(form, event);
    }
    return 0;
}
