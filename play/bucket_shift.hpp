#pragma once

namespace blockdrop {

struct Form1;

// The key-down handler: Left and Right arrow shift the bucket one column,
// whatever modifiers are held; every other key is ignored.
void Form_KeyDown(Form1& form, int KeyCode, int Shift);

} // namespace blockdrop
