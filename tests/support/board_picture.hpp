#pragma once

#include "board/form.hpp"

#include <string>
#include <string_view>

namespace blockdrop::testing {

// The board as text, one line of seven characters per row. A shown cell is
// K (black), o (white), R, G or B; a hidden one is . (white), k, r, g or b,
// since hidden cells keep colours the rules still read. Anything else is ?
// when shown and ! when hidden.
std::string picture(const Form1& form);

// Strips white space from a hand-written picture and breaks it into rows, so
// tests can write boards as indented raw strings.
std::string normalised(std::string_view text);

// Sets the visibility and colour of every cell of a loaded window from a
// picture in the notation above.
void paint(Form1& form, std::string_view text);

} // namespace blockdrop::testing
