// The core's test build: the draws and period a scenario asks for, from
// the environment the frontend runs with.
#include "shell/test_build.hpp"
#include "tests/support/rehearsal.hpp"

namespace blockdrop {

void prepare_test_build(FrontEnd& game)
{
    rehearse_from_environment(game);
}

} // namespace blockdrop
