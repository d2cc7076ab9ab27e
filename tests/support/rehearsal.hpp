#pragma once

#include <string>
#include <vector>

namespace blockdrop {

class FrontEnd;

// How a window test asks a test build of the game for a short, known game:
// BLOCKDROP_TEST_DRAWS, the draws in turn ("0.1,0.5"), and
// BLOCKDROP_TEST_PERIOD_MS, the clock's period. Unset, the game draws and
// ticks as the real one does.
void rehearse_from_environment(FrontEnd& game);

// The draws that put every piece in column 1 (a loss on the 9th tick with
// the bucket in the middle), and those that put one piece in each column in
// turn (the bucket full, and so a win, on the 21st).
std::vector<double> draws_for_loss();
std::vector<double> draws_for_win();

// Draws as BLOCKDROP_TEST_DRAWS spells them.
std::string spelled(const std::vector<double>& draws);

} // namespace blockdrop
