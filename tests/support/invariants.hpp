#pragma once

#include "board/form.hpp"

#include <string>
#include <vector>

namespace blockdrop::testing {

// What must hold of the board after every event of any game: the walls shown
// and black; two whole bucket-row columns hidden, in one of the three bucket
// positions (so cells 35 and 41 are never both shown); at most one piece per
// shaft row, shown only in piece colours; every bucket-row column filled from
// the bottom, with no white cell below a filled one. Returns what is broken,
// empty when nothing is.
std::vector<std::string> invariant_violations(const Form1& form);

} // namespace blockdrop::testing
