#include "shell/desktop/pads/pad_input_file.hpp"

namespace blockdrop {

std::string pad_input_file(SDL_GameController* controller)
{
    const char* path = SDL_GameControllerPath(controller);
    return path != nullptr ? path : "";
}

} // namespace blockdrop
