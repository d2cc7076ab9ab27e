#include "shell/desktop/pads/desktop_pads.hpp"

#include <algorithm>
#include <utility>

namespace blockdrop {
namespace {

PadControls read_controls(SDL_GameController* controller)
{
    const auto held = [controller](SDL_GameControllerButton button) {
        return SDL_GameControllerGetButton(controller, button) != 0;
    };
    PadControls controls;
    controls.dpad_left = held(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    controls.dpad_right = held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    controls.shoulder_left = held(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    controls.shoulder_right = held(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    controls.a = held(SDL_CONTROLLER_BUTTON_A);
    controls.b = held(SDL_CONTROLLER_BUTTON_B);
    controls.start = held(SDL_CONTROLLER_BUTTON_START);
    controls.stick_x = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX) / 32767.0;
    return controls;
}

// The kind of pad, from what SDL knows of it. SDL names a Nintendo pad's
// buttons by their labels unless told otherwise, so its A is then the pad's A.
PadFamily family_of(SDL_GameController* controller)
{
    switch (SDL_GameControllerGetType(controller)) {
    case SDL_CONTROLLER_TYPE_PS3:
    case SDL_CONTROLLER_TYPE_PS4:
    case SDL_CONTROLLER_TYPE_PS5: return PadFamily::playstation;
    case SDL_CONTROLLER_TYPE_XBOX360:
    case SDL_CONTROLLER_TYPE_XBOXONE: return PadFamily::xbox;
    case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
        return SDL_GetHintBoolean(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, SDL_TRUE) == SDL_TRUE
                   ? PadFamily::xbox
                   : PadFamily::nintendo;
    default: return PadFamily::generic;
    }
}

int instance_of(SDL_GameController* controller)
{
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
}

} // namespace

DesktopPads::DesktopPads(InputFile input_file) : input_file_(std::move(input_file))
{
    SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return;
    started_ = true;
    // The pads are read, not their every move queued.
    for (const Uint32 type :
         {SDL_JOYAXISMOTION, SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_JOYBUTTONDOWN,
          SDL_JOYBUTTONUP, SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONDOWN,
          SDL_CONTROLLERBUTTONUP, SDL_CONTROLLERTOUCHPADDOWN, SDL_CONTROLLERTOUCHPADMOTION,
          SDL_CONTROLLERTOUCHPADUP, SDL_CONTROLLERSENSORUPDATE})
        SDL_EventState(type, SDL_IGNORE);
}

DesktopPads::~DesktopPads()
{
    for (SDL_GameController* controller : open_)
        SDL_GameControllerClose(controller);
    if (started_)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void DesktopPads::open(int device_index)
{
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device_index);
    if (SDL_IsGameController(device_index) == SDL_FALSE ||
        std::any_of(open_.begin(), open_.end(),
                    [id](SDL_GameController* c) { return instance_of(c) == id; }))
        return;
    SDL_GameController* controller = SDL_GameControllerOpen(device_index);
    if (controller == nullptr)
        return;
    open_.push_back(controller);
    const std::string file = input_file_(controller);
    if (file.empty() || !watch_.watch(id, file))
        unwatched_.push_back(id);
}

bool DesktopPads::take(const SDL_Event& event, Time now)
{
    if (!started_)
        return false;
    // A joystick's arrival is taken too: whether SDL also announces it as a
    // controller depends on the version.
    if (event.type == SDL_CONTROLLERDEVICEADDED || event.type == SDL_JOYDEVICEADDED) {
        open(event.cdevice.which);
        polling_.soon();
        read_now_ = true;
        return true;
    }
    if (event.type == SDL_CONTROLLERDEVICEREMOVED || event.type == SDL_JOYDEVICEREMOVED) {
        const auto gone = std::find_if(open_.begin(), open_.end(), [&](SDL_GameController* c) {
            return instance_of(c) == event.cdevice.which;
        });
        if (gone != open_.end()) {
            SDL_GameControllerClose(*gone);
            open_.erase(gone);
        }
        pads_.detach(event.cdevice.which);
        watch_.forget(event.cdevice.which);
        std::erase(unwatched_, event.cdevice.which);
        return true;
    }
    if (watch_.type() != 0 && event.type == watch_.type()) {
        watch_.taken(event.user.code);
        if (event.user.code == DeviceWatch::devices_changed) {
            settle_until_ = now + settle;
            polling_.soon();
        } else {
            read_now_ = true;
            // A pad whose file went quiet for good is polled, until SDL
            // says whether it has gone.
            for (const SDL_JoystickID id : watch_.dropped()) {
                if (std::find(unwatched_.begin(), unwatched_.end(), id) == unwatched_.end())
                    unwatched_.push_back(id);
            }
        }
        return true;
    }
    return false;
}

std::vector<PadAction> DesktopPads::poll(Time now)
{
    std::vector<PadAction> actions;
    if (!started_)
        return actions;
    if (polling_.due(now, active(now)) || std::exchange(read_now_, false)) {
        // Detects devices and reads them; connections come back as events.
        SDL_GameControllerUpdate();
        for (SDL_GameController* controller : open_) {
            if (SDL_GameControllerGetAttached(controller) == SDL_FALSE)
                continue;
            const auto read = pads_.read(instance_of(controller), read_controls(controller), now);
            if (!read.empty())
                last_used_ = family_of(controller);
            actions.insert(actions.end(), read.begin(), read.end());
        }
    }
    const auto repeats = pads_.repeats(now);
    actions.insert(actions.end(), repeats.begin(), repeats.end());
    return actions;
}

int DesktopPads::wait_ms(Time now) const
{
    return read_now_ ? 0 : polling_.wait_ms(pads_, now, active(now));
}

} // namespace blockdrop
