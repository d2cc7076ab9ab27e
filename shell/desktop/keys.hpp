#pragma once

#include <SDL.h>

namespace blockdrop {

// The virtual-key code the game's key handler expects for an SDL key, 0 for
// none. SDL's own cannot pass: its percent and apostrophe keys are 37 and 39.
int virtual_key(SDL_Keycode key);

// The modifier state as the game's key handler takes it.
int modifier_state(Uint16 modifiers);

} // namespace blockdrop
