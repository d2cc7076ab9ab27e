#include "tests/on_screen/scenario.hpp"

#include "tests/on_screen/screen_board.hpp"
#include "tests/support/rehearsal.hpp"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace blockdrop::window_testing {

namespace {

std::string joined(const std::vector<std::string>& words)
{
    std::string all;
    for (const std::string& word : words)
        all += (all.empty() ? "" : " ") + word;
    return all;
}

} // namespace

std::string Step::text() const
{
    return "line " + std::to_string(line) + ": " + joined(words);
}

namespace {

bool is_number(const std::string& word)
{
    return !word.empty() && word.find_first_not_of("0123456789") == std::string::npos;
}

// The keys a scenario may name, and the modifiers that may come before one.
const std::map<std::string, unsigned long>& keysyms()
{
    static const std::map<std::string, unsigned long> names{{"Left", XK_Left},
                                                            {"Right", XK_Right},
                                                            {"Up", XK_Up},
                                                            {"Down", XK_Down},
                                                            {"Return", XK_Return},
                                                            {"Escape", XK_Escape},
                                                            {"Space", XK_space},
                                                            {"Tab", XK_Tab},
                                                            {"Home", XK_Home},
                                                            {"F1", XK_F1},
                                                            {"F11", XK_F11},
                                                            {"a", XK_a},
                                                            {"z", XK_z},
                                                            {"apostrophe", XK_apostrophe},
                                                            {"percent", XK_percent},
                                                            {"Shift", XK_Shift_L},
                                                            {"Ctrl", XK_Control_L},
                                                            {"Alt", XK_Alt_L}};
    return names;
}

// The keysyms of a key as a scenario names it ("Shift+Left"): the
// modifiers held, then the key; nothing when a name is not one of ours.
std::optional<std::vector<unsigned long>> keysyms_of(const std::string& key)
{
    std::vector<unsigned long> found;
    std::size_t from = 0;
    for (std::size_t plus = 0; plus != std::string::npos; from = plus + 1) {
        plus = key.find('+', from);
        const auto name = keysyms().find(key.substr(from, plus - from));
        if (name == keysyms().end())
            return std::nullopt;
        found.push_back(name->second);
    }
    return found;
}

bool is_key(const std::string& key)
{
    return keysyms_of(key).has_value();
}

// Whether a step is one of the README's, with arguments it allows.
bool well_formed(const std::vector<std::string>& w)
{
    const auto one_of = [](const std::string& word, std::initializer_list<const char*> words) {
        return std::any_of(words.begin(), words.end(),
                           [&](const char* each) { return word == each; });
    };
    if (one_of(joined(w), {"expect set-up board", "hold board", "close game", "expect new game",
                           "expect running", "expect exit 0", "play until lost", "play until won",
                           "expect board lost", "expect board full", "expect board held",
                           "expect board fits", "full screen on", "full screen off",
                           "expect full screen on", "expect full screen off"}))
        return true;
    switch (w.size()) {
    case 2:
        return (w[0] == "press" && is_key(w[1])) || (w[0] == "wait" && is_number(w[1])) ||
               (w[0] == "away" && is_number(w[1])) ||
               (w[0] == "click" && one_of(w[1], {"OK", "Cancel"}));
    case 3:
        return (w[0] == "expect" && w[1] == "bucket" &&
                one_of(w[2], {"left", "middle", "right"})) ||
               (w[0] == "expect" && w[1] == "ticks" && is_number(w[2])) ||
               (w[0] == "expect" && w[1] == "box" && one_of(w[2], {"lost", "won", "none"})) ||
               (w[0] == "click" && w[1] == "beside" && one_of(w[2], {"OK", "Cancel"})) ||
               (w[0] == "resize" && is_number(w[1]) && is_number(w[2]));
    case 4:
        return (w[0] == "press" && is_key(w[1]) && w[2] == "at" && one_of(w[3], {"game", "box"})) ||
               joined(w) == "expect box beside board" ||
               (w[0] == "expect" && w[1] == "board" && one_of(w[2], {"height", "width"}) &&
                w[3].size() > 1 && w[3].back() == '%' &&
                is_number(w[3].substr(0, w[3].size() - 1)));
    default: return false;
    }
}

Scenario read_scenario(const std::filesystem::path& file)
{
    Scenario scenario;
    scenario.name = file.stem().string();
    std::ifstream in(file);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        Step step{number, {}};
        for (std::string word; words >> word;)
            step.words.push_back(word);
        if (step.words.empty())
            continue;
        if (step.words[0] == "dpi" && scenario.steps.empty() && scenario.dpis.empty() &&
            std::all_of(step.words.begin() + 1, step.words.end(), is_number)) {
            for (std::size_t i = 1; i < step.words.size(); ++i)
                scenario.dpis.push_back(std::stoi(step.words[i]));
            continue;
        }
        if (!well_formed(step.words))
            throw std::runtime_error(file.string() + ": " + step.text() + ": no such step");
        scenario.steps.push_back(step);
    }
    if (scenario.dpis.empty())
        scenario.dpis.push_back(96);
    if (scenario.steps.empty())
        throw std::runtime_error(file.string() + " has no steps");
    return scenario;
}

} // namespace

std::vector<ScenarioCase> scenario_cases(const std::string& folder)
{
    const char* asked = std::getenv("BLOCKDROP_SCENARIOS");
    const std::filesystem::path where = !folder.empty() ? std::filesystem::path(folder)
                                        : asked != nullptr && *asked != '\0'
                                            ? std::filesystem::path(asked)
                                            : std::filesystem::path(BLOCKDROP_SCENARIOS);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(where)) {
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<ScenarioCase> cases;
    for (const auto& file : files) {
        const Scenario scenario = read_scenario(file);
        for (const int dpi : scenario.dpis)
            cases.push_back(ScenarioCase{scenario, dpi});
    }
    return cases;
}

std::string case_name(const ScenarioCase& run)
{
    return run.scenario.dpis.size() > 1 ? run.scenario.name + "_at_" + std::to_string(run.dpi)
                                        : run.scenario.name;
}

std::string wait_board(const std::function<std::string()>& read,
                       const std::function<bool(const std::string&)>& done,
                       std::chrono::milliseconds timeout, const std::string& what)
{
    const auto deadline = Clock::now() + timeout;
    std::string seen = read();
    while (!done(seen) && Clock::now() < deadline) {
        std::this_thread::sleep_for(3ms);
        seen = read();
    }
    EXPECT_TRUE(done(seen)) << what << " never got there; last seen:\n" << seen;
    return seen;
}

void expect_set_up_picture(const Image& image, double scale)
{
    const std::string seen = screen_board(image, scale);
    ASSERT_TRUE(fresh_with_pieces(seen, 1)) << seen;
    EXPECT_EQ(board_pixels_mismatch(image, seen, scale), std::nullopt) << seen;
    const CellBox last = cell_box(6, 7, scale);
    EXPECT_EQ(last.x + last.width, std::lround(3465 * scale / 15));
    EXPECT_EQ(last.y + last.height, std::lround(4010 * scale / 15));
    const CellBox shaft_bottom = cell_box(0, 4, scale);
    const CellBox bucket_top = cell_box(0, 5, scale);
    EXPECT_EQ(bucket_top.y - (shaft_bottom.y + shaft_bottom.height),
              static_cast<int>(std::lround(50 * scale / 15)));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (x >= last.x + last.width || y >= last.y + last.height) {
                ASSERT_EQ(image.at(x, y), background) << x << "," << y;
            }
        }
    }
}

void expect_whole_picture(const Image& image, double scale)
{
    const std::string seen = screen_board(image, scale);
    EXPECT_EQ(seen.find('?'), std::string::npos) << seen;
    EXPECT_EQ(board_pixels_mismatch(image, seen, scale), std::nullopt) << seen;
}

Placement placement_in(const Image& window, double natural)
{
    return lay_out(PixelSize{window.width, window.height}, natural);
}

std::string board_in(const Image& window, const Placement& placed)
{
    return screen_board(part_of(window, placed.board), placed.scale);
}

Image part_of(const Image& image, const PixelRect& rect)
{
    Image part{rect.width, rect.height, {}};
    part.pixels.reserve(static_cast<std::size_t>(rect.width) *
                        static_cast<std::size_t>(std::max(rect.height, 0)));
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        for (int x = rect.x; x < rect.x + rect.width; ++x)
            part.pixels.push_back(image.at(x, y));
    }
    return part;
}

namespace {

bool within(int x, int y, const PixelRect& rect)
{
    return x >= rect.x && y >= rect.y && x < rect.x + rect.width && y < rect.y + rect.height;
}

// The first pixel outside the board and `box` that is not the background.
std::optional<std::pair<int, int>> stray_pixel(const Image& window, const Placement& placed,
                                               const PixelRect& box)
{
    for (int y = 0; y < window.height; ++y) {
        for (int x = 0; x < window.width; ++x) {
            if (!within(x, y, placed.board) && !within(x, y, box) &&
                !(window.at(x, y) == background))
                return std::pair{x, y};
        }
    }
    return std::nullopt;
}

} // namespace

bool picture_fits(const Image& window, double natural, const PixelRect& box)
{
    const Placement placed = placement_in(window, natural);
    const Image board = part_of(window, placed.board);
    const std::string seen = screen_board(board, placed.scale);
    return seen.find('?') == std::string::npos &&
           board_pixels_mismatch(board, seen, placed.scale) == std::nullopt &&
           !stray_pixel(window, placed, box);
}

void expect_fitted_picture(const Image& window, double natural, const PixelRect& box)
{
    const Placement placed = placement_in(window, natural);
    expect_whole_picture(part_of(window, placed.board), placed.scale);
    const auto stray = stray_pixel(window, placed, box);
    EXPECT_FALSE(stray) << "not the background at " << stray->first << "," << stray->second;
}

void PrintTo(const ScenarioCase& run, std::ostream* out)
{
    *out << run.scenario.name << ".txt at " << run.dpi << " dpi";
}

void press(const XClient& x, const std::string& key)
{
    auto held = keysyms_of(key);
    if (!held)
        throw std::runtime_error("no key named " + key);
    const unsigned long pressed = held->back();
    held->pop_back();
    x.key(pressed, *held);
}

std::vector<std::string> keysym_names(const std::string& key)
{
    const auto held = keysyms_of(key);
    if (!held)
        throw std::runtime_error("no key named " + key);
    std::vector<std::string> names;
    for (const unsigned long keysym : *held)
        names.push_back(keysym_name(keysym));
    return names;
}

namespace {

std::string wait_front(const Front& front, const std::function<bool(const std::string&)>& done,
                       std::chrono::milliseconds timeout, const std::string& what)
{
    return wait_board([&] { return front.board(); }, done, timeout, what);
}

Shown wait_box(const Front& front, Shown wanted, std::chrono::milliseconds timeout)
{
    Shown seen = front.box();
    wait_until([&] { return (seen = front.box()) == wanted; }, timeout);
    return seen;
}

Shown shown_named(const std::string& name)
{
    static const std::map<std::string, Shown> names{
        {"none", Shown::none}, {"won", Shown::won}, {"lost", Shown::lost}};
    return names.at(name);
}

const char* name_of(Shown shown)
{
    switch (shown) {
    case Shown::none: return "none";
    case Shown::won: return "won";
    case Shown::lost: return "lost";
    case Shown::other: return "a box that is neither";
    }
    return "?";
}

// Watches the shaft tick by tick: every piece moves down exactly one row,
// and one new piece is in row 0.
void expect_ticks(const Front& front, int count)
{
    std::string before = shaft(front.board());
    ASSERT_EQ(pieces_in_row(before, 1), 0) << "watching starts before the second tick";
    for (int tick = 1; tick <= count; ++tick) {
        const std::string now = shaft(wait_front(
            front,
            [&](const std::string& b) {
                return shaft(b) != before && b.find('?') == std::string::npos;
            },
            3s, "tick " + std::to_string(tick)));
        ASSERT_NE(now, before) << "tick " << tick << " never came";
        EXPECT_EQ(pieces_in_row(now, 0), 1) << now;
        for (int row = 0; row < 4; ++row) {
            for (int column = 1; column <= 5; ++column)
                EXPECT_EQ(cell_at(now, column, row + 1), cell_at(before, column, row))
                    << "tick " << tick << "\nbefore:\n"
                    << before << "\nnow:\n"
                    << now;
        }
        before = now;
    }
    for (int row = 0; row <= 4; ++row)
        EXPECT_EQ(pieces_in_row(before, row), 1) << before;
}

// `answered`: when the box was answered; the new game's first tick is a
// period after that. Its board may be read a few ticks in: a loaded
// machine's screenshot at full screen can take longer than a tick.
void expect_new_game(Front& front, Clock::time_point answered, std::chrono::milliseconds period)
{
    Shown shown = Shown::other;
    const std::string fresh = wait_board(
        [&] {
            auto [board, box] = front.look();
            shown = box;
            return board;
        },
        [&](const std::string& b) {
            return ticks_of_new_game(b).has_value() && shown == Shown::none;
        },
        3s, "a new game with no box up");
    EXPECT_EQ(std::string(name_of(shown)), "none");
    // Half a period after the answer: even a late tick cannot come earlier,
    // but one run on a grid left over from before the box would. Judged
    // only if the look ended before the first real tick could come.
    std::this_thread::sleep_until(answered + period / 2);
    const std::string later = front.board();
    if (Clock::now() < answered + period) {
        EXPECT_EQ(ticks_of_new_game(fresh), 0) << "a tick came right after the answer\n" << fresh;
        EXPECT_EQ(later, fresh) << "a tick came right after the answer";
    } else {
        std::cerr << "the board was read too late to tell an early tick from the first\n";
    }
    EXPECT_TRUE(front.running()) << "OK plays on";
    EXPECT_EQ(bucket_position(fresh), "middle");
}

bool meet(const PixelRect& a, const PixelRect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// The player away for `away` and back. With a box up, the box and the board
// under it are as they were. In play, leaving half a period after a tick:
// no tick ran meanwhile, and the next one comes after what was left of its
// interval, so a period after the tick plus the time away, whatever the
// front end took to hear of the leaving and the return (between the start
// of one call and the end of the other).
void expect_away(Front& front, std::chrono::milliseconds away, std::chrono::milliseconds period)
{
    // Drawn again: a window shown anew may show only its background at first.
    const auto readable = [](const std::string& b) {
        return !b.empty() && b.find('?') == std::string::npos && bucket_position(b) != "none";
    };
    const auto looked = front.look();
    const std::string& before = looked.first;
    const Shown shown = looked.second;
    if (shown != Shown::none) {
        front.leave();
        std::this_thread::sleep_for(away);
        front.come_back();
        wait_front(front, readable, 3s, "the board on the return");
        EXPECT_EQ(front.board(), before) << "the board under the box moved";
        EXPECT_EQ(std::string(name_of(front.box())), name_of(shown)) << "the box went";
        return;
    }
    // The tick came after the look that last showed the board before it
    // began, so no earlier than the end of the look before that one: on a
    // front end whose looks are slow (Wine's), well before it was seen.
    std::array<Clock::time_point, 2> looked_at{Clock::now(), Clock::now()};
    const std::string ticked = wait_front(
        front,
        [&](const std::string& b) {
            if (readable(b) && shaft(b) != shaft(before))
                return true;
            looked_at = {looked_at[1], Clock::now()};
            return false;
        },
        period * 2, "a tick before leaving");
    const auto tick_seen = Clock::now();
    const auto tick_earliest = looked_at[0];
    std::this_thread::sleep_until(tick_seen + period / 2);
    const auto leaving = Clock::now();
    front.leave();
    const auto left = Clock::now();
    std::this_thread::sleep_for(away);
    const auto returning = Clock::now();
    front.come_back();
    const auto returned = Clock::now();
    const std::string on_return = wait_front(front, readable, 3s, "the board on the return");
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    // A driver whose leaving outlasted the rest of the interval (Wine
    // starting a program to minimise the window, on a loaded machine) lets
    // the tick come before the player is away: one tick, the game's due, and
    // then the time to the next cannot be told.
    if (left - tick_earliest >= period && shaft(on_return) != shaft(ticked)) {
        const std::string moved = shaft(ticked);
        EXPECT_EQ(shaft(on_return).substr(8), moved.substr(0, moved.size() - 8))
            << "more than the one tick due while leaving";
        std::cerr << "leaving took " << ms(left - leaving) << " ms, the tick was seen "
                  << ms(tick_seen - tick_earliest)
                  << " ms after it could have come: the time away is not judged\n";
        return;
    }
    ASSERT_EQ(shaft(on_return), shaft(ticked)) << "the game played on while the player was away";
    wait_front(
        front, [&](const std::string& b) { return readable(b) && shaft(b) != shaft(ticked); },
        period * 2, "the tick after the return");
    const auto gap = ms(Clock::now() - tick_seen);
    const auto least = ms(period + (returning - left)) - 300;
    const auto most = ms(period + (returned - leaving)) + 300;
    EXPECT_TRUE(gap >= least && gap <= most)
        << "the tick after the return came " << gap << " ms after the one before the leaving, "
        << "not a period and the time away after it (" << least + 300 << " to " << most - 300
        << " ms)";
}

// What a run remembers from step to step.
struct RunState {
    std::string held;
    // The window's size as last set, to come back to from full screen.
    PixelSize windowed;
    Clock::time_point last_input{};
    std::chrono::milliseconds period{1000};
};

void take(const Step& step, Front& front, RunState& state)
{
    const auto& w = step.words;
    const auto is = [&](std::initializer_list<const char*> words) {
        if (w.size() < words.size())
            return false;
        std::size_t i = 0;
        for (const char* word : words) {
            if (w[i++] != word)
                return false;
        }
        return true;
    };
    if (is({"expect", "set-up", "board"})) {
        front.expect_set_up_board();
    } else if (is({"press"}) && w.size() >= 2) {
        const Target target = w.size() == 4 && w[3] == "game"  ? Target::game
                              : w.size() == 4 && w[3] == "box" ? Target::box
                                                               : Target::focused;
        // A switch to full screen comes back to the window's size of now.
        if ((w[1] == "F11" || w[1] == "Alt+Return") && !front.full_screen())
            state.windowed = front.window_size();
        front.press(w[1], target);
        // When the input has gone in: a driver may take its time to type.
        state.last_input = Clock::now();
    } else if (is({"expect", "bucket"}) && w.size() == 3) {
        wait_front(
            front, [&](const std::string& b) { return bucket_position(b) == w[2]; }, 3s,
            "the bucket " + w[2]);
    } else if (is({"expect", "ticks"}) && w.size() == 3) {
        expect_ticks(front, std::stoi(w[2]));
    } else if (is({"play", "until"}) && w.size() == 3 && (w[2] == "lost" || w[2] == "won")) {
        ASSERT_EQ(name_of(wait_box(front, shown_named(w[2]), 30s)), w[2]) << "last seen:\n"
                                                                          << front.board();
    } else if (is({"expect", "box", "beside", "board"})) {
        const PixelRect box = front.box_rect();
        const PixelRect board = front.board_rect();
        ASSERT_GT(box.width, 0) << "no box is up";
        EXPECT_FALSE(meet(box, board))
            << "the box at " << box.x << "," << box.y << " " << box.width << "x" << box.height
            << " meets the board at " << board.x << "," << board.y << " " << board.width << "x"
            << board.height;
    } else if (is({"expect", "board"}) && w.size() == 4) {
        const bool high = w[2] == "height";
        const int percent = std::stoi(w[3]);
        const PixelRect board = front.board_rect();
        const PixelSize window = front.window_size();
        const int got = high ? board.height : board.width;
        const int of = high ? window.height : window.width;
        EXPECT_GE(got * 100, percent * of) << "the board is " << board.width << "x" << board.height
                                           << " in " << window.width << "x" << window.height;
    } else if (is({"away"}) && w.size() == 2) {
        expect_away(front, std::chrono::milliseconds(std::stoi(w[1])), state.period);
    } else if (is({"expect", "box"}) && w.size() == 3) {
        ASSERT_EQ(name_of(wait_box(front, shown_named(w[2]), 3s)), w[2]);
    } else if (is({"expect", "board", "lost"})) {
        wait_front(front, shows_loss, 2s, "the board the tick left");
        front.expect_whole_board();
    } else if (is({"expect", "board", "full"})) {
        EXPECT_TRUE(bucket_full(front.board())) << front.board();
    } else if (is({"hold", "board"})) {
        state.held = front.board();
    } else if (is({"expect", "board", "held"})) {
        EXPECT_EQ(front.board(), state.held) << "the board moved";
    } else if (is({"wait"}) && w.size() == 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(w[1])));
    } else if (is({"click", "beside"}) && w.size() == 3) {
        front.click(w[2], 30);
    } else if (is({"click"}) && w.size() == 2) {
        front.click(w[1], 0);
        state.last_input = Clock::now();
    } else if (is({"close", "game"})) {
        front.close_game();
    } else if (is({"expect", "new", "game"})) {
        expect_new_game(front, state.last_input, state.period);
    } else if (is({"expect", "running"})) {
        EXPECT_TRUE(front.running());
    } else if (is({"expect", "exit", "0"})) {
        front.expect_exit_zero();
    } else if (is({"resize"}) && w.size() == 3) {
        state.windowed = PixelSize{std::stoi(w[1]), std::stoi(w[2])};
        front.resize(state.windowed);
    } else if (is({"expect", "board", "fits"})) {
        front.expect_board_fits();
    } else if (w.back() == "on" || w.back() == "off") {
        const bool on = w.back() == "on";
        if (w[0] == "full") {
            if (on)
                state.windowed = front.window_size();
            front.switch_full_screen();
        }
        // Off: back at the window's earlier size.
        const bool got = wait_until(
            [&] {
                return front.full_screen() == on && (on || front.window_size() == state.windowed);
            },
            5s);
        const PixelSize size = front.window_size();
        ASSERT_TRUE(got) << "full screen never turned " << w.back() << "; the window is "
                         << size.width << "x" << size.height;
    } else {
        FAIL() << "no such step";
    }
}

} // namespace

std::optional<std::vector<double>> rehearsed_draws(const Scenario& scenario)
{
    std::optional<std::vector<double>> draws;
    for (const Step& step : scenario.steps) {
        if (step.words.size() == 3 && step.words[0] == "play")
            draws = step.words[2] == "won" ? draws_for_win() : draws_for_loss();
    }
    return draws;
}

void run(const Scenario& scenario, Front& front)
{
    RunState state;
    if (rehearsed_draws(scenario))
        state.period = rehearsal_period;
    for (const Step& step : scenario.steps) {
        SCOPED_TRACE(scenario.name + ".txt " + step.text());
        take(step, front, state);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

std::optional<std::string> cannot_run(const Scenario& scenario, const Front& front)
{
    bool box_up = false;
    for (const Step& step : scenario.steps) {
        if (auto why = front.cannot(step, box_up))
            return step.text() + ": " + *why;
        const std::string& verb = step.words[0];
        if (verb == "play")
            box_up = true;
        if (step.text().find("expect new game") != std::string::npos ||
            step.text().find("expect exit") != std::string::npos)
            box_up = false;
    }
    return std::nullopt;
}

} // namespace blockdrop::window_testing
