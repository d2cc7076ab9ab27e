// The core's saved state: every field in a fixed order, little-endian,
// after a tag and a version.
#include "shell/libretro/core_game.hpp"

#include "board/setup.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace blockdrop::libretro {

namespace {

constexpr unsigned char tag[4] = {'B', 'D', 'R', 'S'};
constexpr std::uint32_t version = 1;

// The colours a cell can have, by number.
constexpr Colour colours[] = {white, black, red, green, blue};

// Bounds that keep every sum of times in range: 2^32 frames (over two
// years of play) and 2^56 nanoseconds either way.
constexpr std::uint64_t frames_limit = std::uint64_t{1} << 32;
constexpr std::int64_t time_limit = std::int64_t{1} << 56;
// Draws since the generator's seed, which a restore skips one by one: 2^24
// is some eight million ticks of one game (over 1,500 hours), and skipped
// in tens of milliseconds, where a made-up count could hold the core for
// minutes.
constexpr std::uint64_t draws_limit = std::uint64_t{1} << 24;

// Nanoseconds, whatever the clock's own tick.
std::int64_t nanoseconds(TickGrid::Duration duration)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
}

TickGrid::Duration duration(std::int64_t nanoseconds)
{
    return std::chrono::duration_cast<TickGrid::Duration>(std::chrono::nanoseconds(nanoseconds));
}

} // namespace

class CoreGame::Writer {
public:
    explicit Writer(unsigned char* out) : out_(out) {}
    void u64(std::uint64_t value)
    {
        for (int byte = 0; byte < 8; ++byte)
            out_[at_++] = static_cast<unsigned char>(value >> (8 * byte));
    }
    void u32(std::uint32_t value)
    {
        for (int byte = 0; byte < 4; ++byte)
            out_[at_++] = static_cast<unsigned char>(value >> (8 * byte));
    }
    void u8(unsigned value) { out_[at_++] = static_cast<unsigned char>(value); }
    void i64(std::int64_t value) { u64(static_cast<std::uint64_t>(value)); }

    void form(const Form1& form)
    {
        for (int i = 0; i < ShapeArray::size; ++i) {
            const Shape& cell = form.Block(i);
            u8(cell.Visible);
            u8(static_cast<unsigned>(std::find(std::begin(colours), std::end(colours), cell.BackColor) -
                                     std::begin(colours)));
        }
        u8(form.Clock.Enabled);
        u32(static_cast<std::uint32_t>(form.Clock.Interval));
    }
    void generator(const RandomSource::Saved& saved)
    {
        u64(saved.seed);
        u64(saved.draws);
    }
    std::size_t written() const { return at_; }

private:
    unsigned char* out_;
    std::size_t at_ = 0;
};

// Reads what Writer wrote; any value out of its range spoils the read.
class CoreGame::Reader {
public:
    explicit Reader(const unsigned char* in) : in_(in) {}
    std::uint64_t u64()
    {
        std::uint64_t value = 0;
        for (int byte = 0; byte < 8; ++byte)
            value |= static_cast<std::uint64_t>(in_[at_++]) << (8 * byte);
        return value;
    }
    std::uint32_t u32()
    {
        std::uint32_t value = 0;
        for (int byte = 0; byte < 4; ++byte)
            value |= static_cast<std::uint32_t>(in_[at_++]) << (8 * byte);
        return value;
    }
    unsigned u8(unsigned below = 256)
    {
        const unsigned value = in_[at_++];
        good_ = good_ && value < below;
        return value;
    }
    bool flag() { return u8(2) == 1; }
    std::int64_t i64()
    {
        const auto value = static_cast<std::int64_t>(u64());
        good_ = good_ && value > -time_limit && value < time_limit;
        return value;
    }
    std::uint64_t frame()
    {
        const std::uint64_t value = u64();
        good_ = good_ && value < frames_limit;
        return value;
    }
    void expect(bool holds) { good_ = good_ && holds; }

    // The cells on the set-up's places, each shown or not in one of the
    // board's colours.
    Form1 form()
    {
        Form1 form;
        loadshapes(form);
        for (int i = 0; i < ShapeArray::size; ++i) {
            form.Block(i).Visible = flag();
            form.Block(i).BackColor = colours[u8(std::size(colours)) % std::size(colours)];
        }
        form.Clock.Enabled = flag();
        const std::uint32_t interval = u32();
        good_ = good_ && interval > 0 && interval < (1u << 30);
        form.Clock.Interval = static_cast<int>(interval);
        return form;
    }
    RandomSource::Saved generator()
    {
        RandomSource::Saved saved;
        saved.seed = u64();
        saved.draws = u64();
        good_ = good_ && saved.draws < draws_limit;
        return saved;
    }
    bool good() const { return good_; }
    std::size_t read() const { return at_; }

private:
    const unsigned char* in_;
    std::size_t at_ = 0;
    bool good_ = true;
};

const std::size_t CoreGame::state_size = 411;

void CoreGame::save(unsigned char* out) const
{
    Writer to(out);
    write(to);
}

void CoreGame::write(Writer& out) const
{
    for (const unsigned char byte : tag)
        out.u8(byte);
    out.u32(version);
    out.u64(seed_);
    out.u64(frame_);
    out.u8(ended_);
    out.u8(box_.has_value());

    const TickGrid::Saved grid = game_.grid.saved();
    out.u8(grid.running);
    out.u8(grid.paused);
    out.i64(nanoseconds(grid.deadline));
    out.i64(nanoseconds(grid.left));
    out.i64(nanoseconds(grid.interval));

    out.generator(generator().saved());
    out.u64(next_rehearsed_draw());
    out.form(game_.form);

    // The one pad the core reads, once it has been read.
    const auto& pads = pads_.pads();
    out.u8(pads.empty() ? 0 : 1);
    const Gamepads::Pad pad = pads.empty() ? Gamepads::Pad{} : pads.front();
    for (const bool held : {pad.last.dpad_left, pad.last.dpad_right, pad.last.shoulder_left,
                            pad.last.shoulder_right, pad.last.a, pad.last.b, pad.last.start})
        out.u8(held);
    std::uint64_t stick = 0;
    std::memcpy(&stick, &pad.last.stick_x, sizeof stick);
    out.u64(stick);
    for (const bool on : {pad.left, pad.right, pad.stick_left, pad.stick_right})
        out.u8(on);
    out.u8(static_cast<unsigned>(pad.held));
    out.i64(nanoseconds(pad.next.time_since_epoch()));

    out.u8(pointer_was_down_);
    out.u8(static_cast<unsigned>(pointer_pressed_));
    out.u8(static_cast<unsigned>(pointer_over_));

    out.u8(static_cast<unsigned>(answer_count_));
    for (const Answer& answer : answers_) {
        out.u8(static_cast<unsigned>(answer.answer));
        out.u64(answer.frame);
    }
    out.form(started_.form);
    out.generator(started_.generator);
    out.u64(started_.next_draw);
    out.u64(started_.frame);
}

bool CoreGame::restore(const unsigned char* in, std::size_t size)
{
    if (size != state_size)
        return false;
    // Whatever the state turns out to be, the game as it is can come back.
    std::vector<unsigned char> before(state_size);
    save(before.data());
    Reader from(in);
    if (read(from) && from.good() && from.read() == state_size)
        return true;
    Reader back(before.data());
    read(back);
    return false;
}

bool CoreGame::read(Reader& in)
{
    for (const unsigned char byte : tag) {
        if (in.u8() != byte)
            return false;
    }
    if (in.u32() != version)
        return false;
    seed_ = in.u64();
    frame_ = in.frame();
    ended_ = in.flag();
    const bool box_up = in.flag();

    TickGrid::Saved grid;
    grid.running = in.flag();
    grid.paused = in.flag();
    grid.deadline = duration(in.i64());
    grid.left = duration(in.i64());
    grid.interval = duration(in.i64());
    game_.grid.restore(grid);

    // Restored once the whole state has read well: a restore skips its draws.
    const RandomSource::Saved drawn = in.generator();
    next_rehearsed_draw() = static_cast<std::size_t>(in.u64());
    const Form1 shown = in.form();
    // The core's clock runs from the load on, never paused, ticking at most
    // at the window clock's period, its next tick at most a period away: a
    // state that says otherwise would hold the game still.
    const auto period = std::chrono::milliseconds(shown.Clock.Interval);
    in.expect(grid.running && !grid.paused && shown.Clock.Enabled &&
              grid.interval > TickGrid::Duration::zero() && grid.interval <= period &&
              grid.deadline <= std::chrono::duration_cast<TickGrid::Duration>(Frames(frame_)) +
                                   grid.interval);

    const bool has_pad = in.flag();
    Gamepads::Pad pad;
    for (bool* held : {&pad.last.dpad_left, &pad.last.dpad_right, &pad.last.shoulder_left,
                       &pad.last.shoulder_right, &pad.last.a, &pad.last.b, &pad.last.start})
        *held = in.flag();
    const std::uint64_t stick = in.u64();
    std::memcpy(&pad.last.stick_x, &stick, sizeof stick);
    for (bool* on : {&pad.left, &pad.right, &pad.stick_left, &pad.stick_right})
        *on = in.flag();
    pad.held = static_cast<Gamepads::Held>(in.u8(3));
    pad.next = Gamepads::Time(duration(in.i64()));
    pads_.restore(has_pad ? std::vector<Gamepads::Pad>{pad} : std::vector<Gamepads::Pad>{});

    pointer_was_down_ = in.flag();
    pointer_pressed_ = static_cast<int>(in.u8(3));
    pointer_over_ = static_cast<int>(in.u8(3));

    answer_count_ = in.u8(max_answers + 1);
    for (Answer& answer : answers_) {
        answer.answer = static_cast<int>(in.u8(3));
        answer.frame = in.frame();
    }
    started_.form = in.form();
    started_.generator = in.generator();
    started_.next_draw = in.u64();
    started_.frame = in.frame();
    if (!in.good())
        return false;
    generator().restore(drawn);

    // A box that is up comes back by playing its tick again from its start
    // to the box, which must leave the board the state shows.
    box_.reset();
    clock_frame_ = frame_;
    if (!box_up) {
        game_.form = shown;
        return answer_count_ == 0;
    }
    const TickGrid::Saved kept = game_.grid.saved();
    const std::size_t next_draw = next_rehearsed_draw();
    play_tick(true);
    game_.grid.restore(kept);
    generator().restore(drawn);
    next_rehearsed_draw() = next_draw;
    return box_.has_value() && !ended_ && game_.form == shown;
}

} // namespace blockdrop::libretro
