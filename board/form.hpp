#pragma once

#include "board/colour.hpp"

#include <array>
#include <bitset>

namespace blockdrop {

// One square of the board. Whether it is shown and its colour are the whole
// state of a game; the placement is fixed by the set-up. Positions and sizes
// are in twips (1/1440 inch).
struct Shape {
    bool Visible = true;
    Colour BackColor = white;
    int Left = 0;
    int Top = 0;
    int Width = 495;
    int Height = 495;

    friend bool operator==(const Shape&, const Shape&) = default;
};

// The indexed cell array of the window. Element 0 is the template and exists
// from the start; every other element must be created before it is used,
// just as the set-up does, so touching a cell that does not exist (or one
// past the end) is reported instead of reading garbage.
class ShapeArray {
public:
    static constexpr int size = 56;

    ShapeArray() { created_.set(0); }

    Shape& operator()(int index) { return shapes_[checked(index)]; }
    const Shape& operator()(int index) const { return shapes_[checked(index)]; }

    // Creates element `index` as a hidden copy of the template.
    void create(int index);
    bool exists(int index) const
    {
        return index >= 0 && index < size && created_.test(static_cast<std::size_t>(index));
    }

    friend bool operator==(const ShapeArray&, const ShapeArray&) = default;

private:
    std::size_t checked(int index) const
    {
        if (!exists(index)) [[unlikely]]
            missing(index);
        return static_cast<std::size_t>(index);
    }
    [[noreturn]] static void missing(int index);

    std::array<Shape, size> shapes_{};
    std::bitset<size> created_;
};

// The window's clock. Its owner calls the tick handler once per Interval
// milliseconds while it is enabled.
struct Timer {
    bool Enabled = false;
    int Interval = 1000;

    friend bool operator==(const Timer&, const Timer&) = default;
};

// The game window's state, with its design values: the template cell and the
// disabled clock. Constructing a fresh Form1 is what unloading and loading
// the window amounts to.
struct Form1 {
    ShapeArray Block;
    Timer Clock;

    friend bool operator==(const Form1&, const Form1&) = default;
};

} // namespace blockdrop
