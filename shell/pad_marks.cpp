#include "shell/pad_marks.hpp"

namespace blockdrop {

PadMarks box_pad_marks(PadFamily family)
{
    switch (family) {
    case PadFamily::playstation: return PadMarks{PadMark::cross, PadMark::circle};
    case PadFamily::nintendo: return PadMarks{PadMark::b, PadMark::a};
    case PadFamily::generic:
    case PadFamily::xbox: break;
    }
    return PadMarks{PadMark::a, PadMark::b};
}

char mark_letter(PadMark mark)
{
    switch (mark) {
    case PadMark::a: return 'A';
    case PadMark::b: return 'B';
    case PadMark::cross:
    case PadMark::circle: break;
    }
    return 0;
}

} // namespace blockdrop
