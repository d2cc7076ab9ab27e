#pragma once

namespace blockdrop {

struct Form1;
class Platform;

// One beat of the game, once a second: test for a win, land the piece at the
// bottom of each shaft column, drop every other piece a row, spawn a new one.
void Clock_Timer(Form1& form, Platform& platform);

} // namespace blockdrop
