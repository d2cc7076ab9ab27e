#pragma once

namespace blockdrop {

struct Form1;
class Platform;

// The bucket is full: announce it and start a new game at once.
void winner(Form1& form, Platform& platform);

// A piece arrived over a full column: ask whether to play again; OK starts a
// new game, anything else ends the program.
void loser(Form1& form, Platform& platform);

} // namespace blockdrop
