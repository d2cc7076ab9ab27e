#pragma once

namespace blockdrop {

// Which kind of pad the player last used, as far as the platform can tell.
enum class PadFamily { generic, xbox, playstation, nintendo };

// What a face button is marked with: a letter, or PlayStation's shapes.
enum class PadMark { a, b, cross, circle };

// The marks of the buttons that answer a box's OK and Cancel (A or Start,
// and B, as shell/gamepads reads them by position: the bottom face button
// and the right one).
struct PadMarks {
    PadMark ok = PadMark::a;
    PadMark cancel = PadMark::b;

    friend bool operator==(const PadMarks&, const PadMarks&) = default;
};

// The pad's own labels: A and B, the cross and the circle on a PlayStation
// pad, and B and A on a Nintendo one, whose bottom button is its B.
PadMarks box_pad_marks(PadFamily family);

// The letter a mark shows, or 0 for a shape.
char mark_letter(PadMark mark);

} // namespace blockdrop
