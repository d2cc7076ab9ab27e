#pragma once

namespace blockdrop {

class FrontEnd;

// Called by a front end's main once its game is set up, before the window
// loads. The game links no_test_build.cpp, which does nothing; a test build
// of the same main links its own, which takes what a window test asks for
// through the environment (fixed draws, a shorter period, virtual pads). A
// seam at link time, so that the game itself holds no test code.
void prepare_test_build(FrontEnd& game);

} // namespace blockdrop
