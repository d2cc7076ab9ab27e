// Compiled with the rules' include path only, to show that the rules cannot
// reach any header of the shell but the Platform interface. The build of
// this file must fail.
#include "shell/platform.hpp"
#include "shell/tick_grid.hpp"
