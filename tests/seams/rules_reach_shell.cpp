// Reaches past the Platform interface, as no source of the rules may: the
// rules' fence test must find that this file reads shell/tick_grid.hpp,
// which shows that it would find the same in a source of the rules.
#include "shell/platform.hpp"
#include "shell/tick_grid.hpp"
