#pragma once

#include "tests/on_screen/x_session.hpp"

#include <memory>
#include <string>
#include <vector>

// The Windows game under Wine in a private Xvfb, for its window tests and
// benchmark. One Wine prefix serves a whole test run (or a lane of one):
// scripts/wine-prefix.sh makes it and keeps its wineserver alive, and takes
// it down at the end.
namespace blockdrop::window_testing {

// The run's prefix, $WINEPREFIX; throws when it is not set, so that no test
// ever makes a prefix in the user's home by accident.
std::string wine_prefix();

// The Windows game: $BLOCKDROP_WINDOWS_GAME.
std::string windows_game();

// The test build of the Windows game: $BLOCKDROP_WINDOWS_TEST_GAME.
std::string windows_test_game();

// `wine <game>` on the display, in the run's prefix; with `draws`, the test
// build playing them (tests/support/rehearsal.hpp).
std::unique_ptr<GameProcess> start_windows_game(const std::string& display,
                                                const std::vector<double>& draws = {});

// Minimises the game's window on `display`, or restores it, as its task bar
// button does ($BLOCKDROP_WINDOWS_SHOW_WINDOW, run by Wine); true if there
// was a game window.
bool show_windows_game(const std::string& display, bool shown);

// A rectangle of an X window, in its own pixels.
struct Area {
    int left = 0, top = 0, width = 0, height = 0;
};

// The client area of a Windows top-level window as Wine maps it with no
// window manager (Managed=N): the X window is the whole window, with the
// frame Wine draws itself, borders of one width left, right and below and
// the caption above. So the client area lies `border` in from the sides
// and the bottom, where border is half the width the frame adds.
Area client_area(std::pair<int, int> window_size, int client_width, int client_height);

// Sets the DPI that Wine reports to the programs started after it, in the
// run's prefix (`LogPixels`), and restarts the prefix's server so that its
// monitors take it. No program of the prefix may be running. True if both
// worked.
bool set_wine_dpi(int dpi);

// The Wine processes of the run's prefix on `display` (the game, and Wine's
// desktop process that serves the display's windows); zombies waiting for
// their parent are left out. With `program`, only those running it.
std::vector<pid_t> wine_processes(const std::string& display, const std::string& program = {});

// Every Wine process of the run's prefix (wineserver and its services
// included), on any display or none.
std::vector<pid_t> wine_prefix_processes();

// The processes on `display` still running the Windows game.
std::vector<pid_t> windows_game_processes(const std::string& display);

} // namespace blockdrop::window_testing
