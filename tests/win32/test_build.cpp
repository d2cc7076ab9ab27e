// The test build of the Windows game: the draws and period a window test
// asks for (tests/support/rehearsal.hpp).
#include "shell/test_build.hpp"
#include "tests/support/rehearsal.hpp"

namespace blockdrop {

void prepare_test_build(FrontEnd& game)
{
    rehearse_from_environment(game);
}

} // namespace blockdrop
