#pragma once

#include "shell/gamepads.hpp"

#include <windows.h>

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace blockdrop::windows {

// Where the pads' controls come from: XInput in the game, a script in the
// tests.
class PadReader {
public:
    static constexpr int slots = 4;
    virtual ~PadReader() = default;
    // Whether any pad could be there at all; when not, no slot is read.
    virtual bool pads_present() { return true; }
    // The controls of the pad in `slot`, nothing when none is connected.
    virtual std::optional<PadControls> read(int slot) = 0;
};

// XInput from the system's own DLL, loaded at run time: xinput1_4.dll, else
// xinput9_1_0.dll; where neither loads there are no pads, and no error. It
// is loaded only once a game controller is among the system's input
// devices: an XInput that keeps threads of its own then costs nothing
// while no pad was ever there.
// A game controller among the system's raw input devices.
bool game_controller_attached();

class XInputReader final : public PadReader {
public:
    // `controller_attached` says whether to load XInput yet; the tests have
    // it say yes where no controller is.
    explicit XInputReader(bool (*controller_attached)() = game_controller_attached)
        : controller_attached_(controller_attached)
    {
    }

    bool loaded() const { return get_state_ != nullptr; }
    // A game controller among the raw input devices; loads XInput then.
    bool pads_present() override;
    std::optional<PadControls> read(int slot) override;

private:
    using GetState = DWORD(WINAPI*)(DWORD, void*);
    void load();

    bool (*controller_attached_)();
    // Once XInput has been read, its DLL stays loaded for the life of the
    // process: its threads may still be running, and unloading it under
    // them crashed Wine's (a page fault inside the unloaded xinput1_4.dll).
    HMODULE library_ = nullptr;
    GetState get_state_ = nullptr;
};

// The pads on Windows. XInput is read only while a pad is connected; the
// slots are looked at when the game starts and when the system says its
// devices changed (WM_DEVICECHANGE), since asking an empty slot is slow.
class WindowsPads {
public:
    using Time = Gamepads::Time;

    explicit WindowsPads(PadReader& reader) : reader_(reader) {}

    // Looks at every slot at the next poll.
    void devices_changed() { rescan_ = true; }

    // Reads the pads at `now`, when a read is due: what their presses and
    // due repeats ask for.
    std::vector<PadAction> poll(Time now);

    // How long the loop may sleep at `now`: -1 while no pad is connected
    // and nothing is held.
    int wait_ms(Time now) const;

    bool any() const { return pads_.any(); }

private:
    PadReader& reader_;
    Gamepads pads_;
    std::array<bool, PadReader::slots> connected_{};
    bool rescan_ = true;
    PadPolling polling_;
};

// Answers the message box that `owner`'s thread shows for it, as a click
// on its button `answer` (answer_ok, answer_cancel) would; false when no
// such box is up.
bool answer_box(HWND owner, int answer);

} // namespace blockdrop::windows
