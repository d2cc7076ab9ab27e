#pragma once

#include <SDL.h>

#include <string>

namespace blockdrop {

// The file the game waits on for a pad's input (DesktopPads::InputFile).
// The game links pad_input_file.cpp: the device node SDL reads the pad
// from. A test build links its own, as it does prepare_test_build, where a
// pipe stands in for a virtual pad's device node.
std::string pad_input_file(SDL_GameController* controller);

} // namespace blockdrop
