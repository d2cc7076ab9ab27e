#pragma once

namespace blockdrop {

struct Form1;
class Platform;

// Runs when the window is loaded: seeds the generator, builds the cells and
// lays out a fresh level with the bucket in the middle.
void Form_Load(Form1& form, Platform& platform);

// Creates and places the 56 cells: all shown, walls black, the rest white.
void loadshapes(Form1& form);

// Hides the inside of the shaft and the bucket-row columns beside the bucket,
// then starts the clock.
void loadlevel(Form1& form);

// Loads the window afresh: design values, then Form_Load. This is what every
// platform's reload does to the board.
void load_window(Form1& form, Platform& platform);

} // namespace blockdrop
