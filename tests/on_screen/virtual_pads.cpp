// The test build of the desktop game: the draws and period a window test
// asks for (tests/support/rehearsal.hpp), and SDL virtual controllers that a
// window test drives through the FIFO named in BLOCKDROP_PAD_SCRIPT, one
// command a line, N being the test's number for a pad:
//   attach N [playstation] | detach N | press N BUTTON | release N BUTTON | stick N X
// BUTTON is SDL's name of a controller button (a, b, start, dpleft,
// dpright, leftshoulder, rightshoulder); X runs from -1 to 1. The game reads
// them through its own pad code, as it reads a real pad. A virtual pad has
// no device node to wait on: a pipe stands in for it, a byte written to it
// after each change of a pad, as the kernel writes a real pad's events to
// its node; the game waits on the pipe as it would on the node.
#include "shell/desktop/pads/desktop_pads.hpp"
#include "shell/desktop/pads/pad_input_file.hpp"
#include "shell/test_build.hpp"
#include "tests/support/rehearsal.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace blockdrop {
namespace {

// `kind` "playstation": a DualShock 4's ids, by which SDL tells its kind.
SDL_Joystick* attach(const std::string& kind)
{
    SDL_VirtualJoystickDesc desc{};
    if (kind == "playstation") {
        desc.vendor_id = 0x054c;
        desc.product_id = 0x09cc;
    }
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

// What the script's thread reads, and the pipe's end it writes a byte to
// after each change.
struct Script {
    std::string path;
    int changed = -1;
};

int run(void* data)
{
    const std::unique_ptr<Script> given(static_cast<Script*>(data));
    const std::string& path = given->path;
    std::map<int, SDL_Joystick*> pads;
    std::ifstream script(path);
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream words(line);
        std::string command;
        int pad = 0;
        words >> command >> pad;
        if (command == "attach") {
            std::string kind;
            words >> kind;
            pads[pad] = attach(kind);
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
        const char byte = 1;
        if (write(given->changed, &byte, 1) != 1)
            std::fprintf(stderr, "pad script: cannot write to the stand-in device\n");
    }
    return 0;
}

} // namespace

void prepare_test_build(FrontEnd& game)
{
    rehearse_from_environment(game);
    const char* path = std::getenv("BLOCKDROP_PAD_SCRIPT");
    std::array<int, 2> pipe_ends{};
    if (path == nullptr || pipe2(pipe_ends.data(), O_CLOEXEC) != 0)
        return;
    // The read end, by a name the game opens as it would a device node.
    setenv("BLOCKDROP_PAD_INPUT", ("/proc/self/fd/" + std::to_string(pipe_ends[0])).c_str(), 1);
    auto* script = new Script{path, pipe_ends[1]};
    if (SDL_Thread* thread = SDL_CreateThread(run, "pad-script", script))
        SDL_DetachThread(thread);
    else
        delete script;
}

std::string pad_input_file(SDL_GameController* controller)
{
    const char* path = SDL_GameControllerPath(controller);
    if (path != nullptr && *path != '\0')
        return path;
    const char* stand_in = std::getenv("BLOCKDROP_PAD_INPUT");
    return stand_in != nullptr ? stand_in : "";
}

} // namespace blockdrop
