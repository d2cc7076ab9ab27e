#pragma once

#include "tests/on_screen/x_session.hpp"

#include "shell/layout.hpp"

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// The scenarios of tests/scenarios, read and run against a front end: what
// every front end owes the player, written once. A driver is a Front; the
// steps that read only the board are run here, the same for all.
namespace blockdrop::window_testing {

struct Step {
    int line = 0;
    std::vector<std::string> words;
    std::string text() const;
};

struct Scenario {
    std::string name; // the file's name without .txt
    std::vector<int> dpis;
    std::vector<Step> steps;
};

// One run of a scenario: the scenario at one of its scales.
struct ScenarioCase {
    Scenario scenario;
    int dpi = 96;
};

// Every scenario in the folder (else $BLOCKDROP_SCENARIOS, else
// tests/scenarios), one case per
// scale, in the order of their names. Throws on a line it cannot read.
std::vector<ScenarioCase> scenario_cases(const std::string& folder = {});

// What a scenario that plays on to a box has the test build of a front end
// draw, so that the box comes in seconds (tests/support/rehearsal.hpp): no
// steering is needed for a win. Nothing for a scenario that does not play,
// which runs on the game itself, at its real period.
std::optional<std::vector<double>> rehearsed_draws(const Scenario& scenario);

// "loss_return_at_144": a GoogleTest name for a case.
std::string case_name(const ScenarioCase& run);

// How GoogleTest prints a case: its file and scale.
void PrintTo(const ScenarioCase& run, std::ostream* out);

// The box a front end shows.
// `other`: something covers the place of the boxes that is neither.
enum class Shown { none, won, lost, other };

// Where a key goes.
enum class Target { focused, game, box };

// Reads the board until `done` holds of it or `timeout` has passed, a
// failure then; returns the last board read.
std::string wait_board(const std::function<std::string()>& read,
                       const std::function<bool(const std::string&)>& done,
                       std::chrono::milliseconds timeout, const std::string& what = "the board");

// The client area's picture of a set-up board (with at most its first
// piece) at `scale`, to the pixel: every cell as it paints, the strip
// between shaft and bucket 50 twips, the board's far corner on its twips
// (3465 x 4010), the background everywhere else.
void expect_set_up_picture(const Image& image, double scale);

// The client area's picture of a whole board, every cell readable and
// drawn to the pixel.
void expect_whole_picture(const Image& image, double scale);

// Where the game draws its board and a box in a window's picture, at
// `natural` when the window is that scale's size (lay_out).
Placement placement_in(const Image& window, double natural);
Image part_of(const Image& image, const PixelRect& rect);
// The board read off a window's picture where `placed` puts it.
std::string board_in(const Image& window, const Placement& placed);

// A window's picture: the board placed to fit it and whole, the background
// all around but where `box` is up; the check, and the same as a test that
// fails.
bool picture_fits(const Image& window, double natural, const PixelRect& box = {});
void expect_fitted_picture(const Image& window, double natural, const PixelRect& box = {});

// A key as a scenario names it ("Shift+Left"), typed through XTEST.
void press(const XClient& x, const std::string& key);

// The same as X keysym names, the modifiers held first: {"Shift_L",
// "Left"}. Throws on a name that is not one of ours.
std::vector<std::string> keysym_names(const std::string& key);

// A front end, as a scenario drives it.
class Front {
public:
    virtual ~Front() = default;
    Front() = default;
    Front(const Front&) = delete;
    Front& operator=(const Front&) = delete;

    // Why this front end cannot take the step (with a box up or not), or
    // nothing when it can.
    virtual std::optional<std::string> cannot(const Step& step, bool box_up) const = 0;

    // The board read off the screen, in the screen notation.
    virtual std::string board() const = 0;
    virtual Shown box() const = 0;
    // Both from one look at the screen where the driver can, so that a game
    // moving on between two looks cannot pair a board with a later box.
    virtual std::pair<std::string, Shown> look() const { return {board(), box()}; }
    virtual void press(const std::string& key, Target target) = 0;
    // A click on the button that answers OK or Cancel, or `above` pixels
    // above its centre.
    virtual void click(const std::string& button, int above) = 0;
    virtual void close_game() = 0;
    // The set-up board to the pixel, and the window's size at its scale.
    virtual void expect_set_up_board() const = 0;
    // The whole board is drawn around the box, to the pixel where the
    // driver can tell.
    virtual void expect_whole_board() const = 0;
    virtual bool running() = 0;
    virtual void expect_exit_zero() = 0;

    // The window resized to `size` device pixels by another client, as a
    // window manager does (the page: its viewport); waits until it is.
    virtual void resize(PixelSize size) = 0;
    // The player's way to full screen and back (F11; the page's control).
    virtual void switch_full_screen() = 0;
    // The window's size in device pixels, and whether it covers its screen.
    virtual PixelSize window_size() const = 0;
    virtual bool full_screen() const = 0;
    // The board at the largest scale that fits the window with a box's
    // room, where the layout puts it, to the pixel, and the background
    // around it.
    virtual void expect_board_fits() const = 0;
    // Where the board and the box that is up are on screen, in device
    // pixels of the window (the page: CSS pixels of its viewport); the box
    // empty while none is up.
    virtual PixelRect board_rect() const = 0;
    virtual PixelRect box_rect() const = 0;
    // The player goes away from the game (minimises the window, hides the
    // page) and comes back; nothing where the front end cannot.
    virtual void leave() = 0;
    virtual void come_back() = 0;
};

// Runs the steps in order; stops at the first fatal failure.
void run(const Scenario& scenario, Front& front);

// Why `front` cannot run the scenario, from its first step it cannot take.
std::optional<std::string> cannot_run(const Scenario& scenario, const Front& front);

} // namespace blockdrop::window_testing
