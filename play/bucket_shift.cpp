#include "play/bucket_shift.hpp"

#include "board/form.hpp"
#include "shell/platform.hpp"

namespace blockdrop {

namespace {

// Shifts the bucket one column to the left across the columns first to last
// of the bucket rows. Walking left to right, every column reads its right-hand
// neighbour before that neighbour is overwritten; the last column is hidden
// with its colours untouched.
void shift_left(Form1& form, int first, int last)
{
    for (int column = first; column <= last; ++column) {
        for (int row = 5; row <= 7; ++row) {
            const int i = column + 7 * row;
            if (column < last) {
                form.Block(i).Visible = true;
                form.Block(i).BackColor = form.Block(i + 1).BackColor;
            } else {
                form.Block(i).Visible = false;
            }
        }
    }
}

// The mirror image: walks right to left so that every column reads its
// left-hand neighbour first; the first column is hidden.
void shift_right(Form1& form, int first, int last)
{
    for (int column = last; column >= first; --column) {
        for (int row = 5; row <= 7; ++row) {
            const int i = column + 7 * row;
            if (column > first) {
                form.Block(i).Visible = true;
                form.Block(i).BackColor = form.Block(i - 1).BackColor;
            } else {
                form.Block(i).Visible = false;
            }
        }
    }
}

} // namespace

// The bucket's position is read from the probe cells 35 (column 0) and 41
// (column 6) of row 5: left when 35 is shown, right when 41 is, else middle.
void Form_KeyDown(Form1& form, int KeyCode, [[maybe_unused]] int Shift)
{
    if (KeyCode == key_left) {
        if (form.Block(41).Visible)
            shift_left(form, 1, 6);
        else if (!form.Block(35).Visible)
            shift_left(form, 0, 5);
    } else if (KeyCode == key_right) {
        if (form.Block(35).Visible)
            shift_right(form, 0, 5);
        else if (!form.Block(41).Visible)
            shift_right(form, 1, 6);
    }
}

} // namespace blockdrop
