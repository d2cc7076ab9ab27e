#pragma once

#include <string_view>

namespace blockdrop::web {

// The virtual-key code the game's key handler expects for a browser key,
// named by KeyboardEvent.key: 37 and 39 for ArrowLeft and ArrowRight, the
// usual codes for the other keys that have one, and 0 for the rest.
int virtual_key(std::string_view key);

// The modifier state as the game's key handler takes it.
int modifier_state(bool shift, bool ctrl, bool alt);

// Keys whose default action scrolls the page (or, with Alt, goes back a
// page); the game's page keeps them for itself.
bool page_keeps(std::string_view key);

} // namespace blockdrop::web
