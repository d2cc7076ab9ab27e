#include "tests/support/board_picture.hpp"

#include <cctype>
#include <stdexcept>

namespace blockdrop::testing {

namespace {

struct Code {
    char shown;
    char hidden;
    Colour colour;
};

constexpr Code codes[] = {
    {'K', 'k', black}, {'o', '.', white}, {'R', 'r', red}, {'G', 'g', green}, {'B', 'b', blue},
};

char code_of(const Shape& cell)
{
    for (const Code& code : codes) {
        if (code.colour == cell.BackColor)
            return cell.Visible ? code.shown : code.hidden;
    }
    return cell.Visible ? '?' : '!';
}

} // namespace

std::string picture(const Form1& form)
{
    std::string text;
    for (int row = 0; row <= 7; ++row) {
        for (int column = 0; column <= 6; ++column)
            text += code_of(form.Block(column + 7 * row));
        if (row < 7)
            text += '\n';
    }
    return text;
}

std::string normalised(std::string_view text)
{
    std::string cells;
    for (const char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            cells += c;
    }
    if (cells.size() != 56)
        throw std::invalid_argument("a board picture needs 56 cells, got " +
                                    std::to_string(cells.size()));
    std::string rows;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0 && i % 7 == 0)
            rows += '\n';
        rows += cells[i];
    }
    return rows;
}

void paint(Form1& form, std::string_view text)
{
    const std::string rows = normalised(text);
    int index = 0;
    for (const char c : rows) {
        if (c == '\n')
            continue;
        bool known = false;
        for (const Code& code : codes) {
            if (c == code.shown || c == code.hidden) {
                form.Block(index).Visible = c == code.shown;
                form.Block(index).BackColor = code.colour;
                known = true;
            }
        }
        if (!known)
            throw std::invalid_argument(std::string("unknown cell code '") + c + "'");
        ++index;
    }
}

} // namespace blockdrop::testing
