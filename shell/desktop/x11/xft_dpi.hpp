#pragma once

#include <string_view>

namespace blockdrop {

// The desktop's dots per inch as its X resources give it in `Xft.dpi` (what
// GTK, Qt and browsers scale by): 96 when the resource is absent or not a
// number, and held between 48 and 480 so that a stray value cannot make the
// window vanish or fill many screens.
double dpi_from_resources(std::string_view resources);

} // namespace blockdrop
