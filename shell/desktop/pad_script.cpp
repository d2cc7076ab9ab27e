#include "shell/desktop/pad.hpp"

namespace blockdrop {

// The game itself has no script: its pads are the real ones.
void start_pad_script() {}

} // namespace blockdrop
