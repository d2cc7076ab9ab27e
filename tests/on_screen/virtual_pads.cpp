// The test build of the desktop game: the draws and period a window test
// asks for (tests/support/rehearsal.hpp), and SDL virtual controllers that a
// window test drives through the FIFO named in BLOCKDROP_PAD_SCRIPT, one
// command a line, N being the test's number for a pad:
//   attach N | detach N | press N BUTTON | release N BUTTON | stick N X
// BUTTON is SDL's name of a controller button (a, b, start, dpleft,
// dpright, leftshoulder, rightshoulder); X runs from -1 to 1. The game reads
// them through its own pad code, as it reads a real pad.
#include "shell/desktop/pads/desktop_pads.hpp"
#include "shell/test_build.hpp"
#include "tests/support/rehearsal.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace blockdrop {
namespace {

SDL_Joystick* attach()
{
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.axis_mask = (1U << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.button_mask = (1U << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.name = "Block Drop test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    return index < 0 ? nullptr : SDL_JoystickOpen(index);
}

void detach(SDL_Joystick* joystick)
{
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == id)
            SDL_JoystickDetachVirtual(index);
    }
}

int run(void* data)
{
    const std::string path = static_cast<const char*>(data);
    std::map<int, SDL_Joystick*> pads;
    std::ifstream script(path);
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream words(line);
        std::string command;
        int pad = 0;
        words >> command >> pad;
        if (command == "attach") {
            pads[pad] = attach();
            if (pads[pad] == nullptr)
                std::fprintf(stderr, "pad script: cannot attach: %s\n", SDL_GetError());
            continue;
        }
        const auto found = pads.find(pad);
        if (found == pads.end() || found->second == nullptr)
            continue;
        SDL_Joystick* joystick = found->second;
        if (command == "detach") {
            detach(joystick);
            pads.erase(found);
        } else if (command == "press" || command == "release") {
            std::string name;
            words >> name;
            SDL_JoystickSetVirtualButton(joystick,
                                         SDL_GameControllerGetButtonFromString(name.c_str()),
                                         command == "press" ? 1 : 0);
        } else if (command == "stick") {
            double x = 0;
            words >> x;
            SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX,
                                       static_cast<Sint16>(x * 32767));
        }
    }
    return 0;
}

} // namespace

void prepare_test_build(FrontEnd& game)
{
    rehearse_from_environment(game);
    const char* path = std::getenv("BLOCKDROP_PAD_SCRIPT");
    if (path == nullptr)
        return;
    if (SDL_Thread* thread = SDL_CreateThread(run, "pad-script", const_cast<char*>(path)))
        SDL_DetachThread(thread);
}

} // namespace blockdrop
