#include "shell/windows/pads.hpp"

#include "shell/platform.hpp"

#include <xinput.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace blockdrop::windows {

void XInputReader::load()
{
    // Only the system's own copies: a full path in the system folder, never
    // a DLL that happens to lie beside the game.
    for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll"}) {
        library_ = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (library_ == nullptr)
            continue;
        // Through void (*)(), the type that stands for any function.
        get_state_ = reinterpret_cast<GetState>(
            reinterpret_cast<void (*)()>(GetProcAddress(library_, "XInputGetState")));
        if (get_state_ != nullptr)
            return;
        FreeLibrary(library_);
        library_ = nullptr;
    }
}

bool game_controller_attached()
{
    UINT count = 0;
    if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0 || count == 0)
        return false;
    std::vector<RAWINPUTDEVICELIST> devices(count);
    const UINT listed = GetRawInputDeviceList(devices.data(), &count, sizeof(RAWINPUTDEVICELIST));
    if (listed == static_cast<UINT>(-1))
        return false;
    devices.resize(listed);
    for (const RAWINPUTDEVICELIST& device : devices) {
        if (device.dwType != RIM_TYPEHID)
            continue;
        RID_DEVICE_INFO info{};
        info.cbSize = sizeof info;
        UINT size = sizeof info;
        if (GetRawInputDeviceInfoW(device.hDevice, RIDI_DEVICEINFO, &info, &size) ==
            static_cast<UINT>(-1))
            continue;
        // Generic desktop: a joystick (4) or a game pad (5).
        if (info.hid.usUsagePage == 1 && (info.hid.usUsage == 4 || info.hid.usUsage == 5))
            return true;
    }
    return false;
}

bool XInputReader::pads_present()
{
    if (!controller_attached_())
        return false;
    if (library_ == nullptr)
        load();
    return loaded();
}

std::optional<PadControls> XInputReader::read(int slot)
{
    XINPUT_STATE state{};
    if (get_state_ == nullptr || get_state_(static_cast<DWORD>(slot), &state) != ERROR_SUCCESS)
        return std::nullopt;
    const WORD buttons = state.Gamepad.wButtons;
    PadControls controls;
    controls.dpad_left = (buttons & XINPUT_GAMEPAD_DPAD_LEFT) != 0;
    controls.dpad_right = (buttons & XINPUT_GAMEPAD_DPAD_RIGHT) != 0;
    controls.shoulder_left = (buttons & XINPUT_GAMEPAD_LEFT_SHOULDER) != 0;
    controls.shoulder_right = (buttons & XINPUT_GAMEPAD_RIGHT_SHOULDER) != 0;
    controls.a = (buttons & XINPUT_GAMEPAD_A) != 0;
    controls.b = (buttons & XINPUT_GAMEPAD_B) != 0;
    controls.start = (buttons & XINPUT_GAMEPAD_START) != 0;
    controls.stick_x = state.Gamepad.sThumbLX / 32767.0;
    return controls;
}

std::vector<PadAction> WindowsPads::poll(Time now)
{
    std::vector<PadAction> actions;
    const bool any_connected =
        std::any_of(connected_.begin(), connected_.end(), [](bool on) { return on; });
    // A look at every slot is due at once, and the reads go on from it.
    if (rescan_)
        polling_.soon();
    if (polling_.due(now, any_connected || rescan_)) {
        const bool present = !rescan_ || reader_.pads_present();
        for (int slot = 0; slot < PadReader::slots; ++slot) {
            auto& on = connected_[static_cast<std::size_t>(slot)];
            if (!on && !rescan_)
                continue;
            const auto controls = present ? reader_.read(slot) : std::nullopt;
            if (!controls) {
                if (on)
                    pads_.detach(slot);
                on = false;
                continue;
            }
            on = true;
            const auto read = pads_.read(slot, *controls, now);
            actions.insert(actions.end(), read.begin(), read.end());
        }
        rescan_ = false;
    }
    const auto repeats = pads_.repeats(now);
    actions.insert(actions.end(), repeats.begin(), repeats.end());
    return actions;
}

int WindowsPads::wait_ms(Time now) const
{
    if (rescan_)
        return 0;
    return polling_.wait_ms(
        pads_, now, std::any_of(connected_.begin(), connected_.end(), [](bool on) { return on; }));
}

namespace {

struct BoxSearch {
    HWND owner;
    HWND box;
};

BOOL CALLBACK find_box(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<BoxSearch*>(data);
    wchar_t name[16] = {};
    // The system's dialog class, owned by the game window.
    if (GetWindow(window, GW_OWNER) == search.owner && GetClassNameW(window, name, 16) > 0 &&
        std::wcscmp(name, L"#32770") == 0) {
        search.box = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool answer_box(HWND owner, int answer)
{
    BoxSearch search{owner, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), find_box,
                      reinterpret_cast<LPARAM>(&search));
    if (search.box == nullptr)
        return false;
    // IDOK and IDCANCEL are the game's answer_ok and answer_cancel.
    const WPARAM button = answer == answer_cancel ? IDCANCEL : IDOK;
    return PostMessageW(search.box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0) != 0;
}

} // namespace blockdrop::windows
