#pragma once

#include <string_view>

namespace blockdrop {

// The desktop's dpi as the X resource `Xft.dpi` gives it (what GTK, Qt and
// browsers scale by): 96 without a number there, and held between 48 and 480
// so a stray value cannot make the window vanish or fill many screens.
double dpi_from_resources(std::string_view resources);

} // namespace blockdrop
