#include "board/form.hpp"

#include <stdexcept>
#include <string>

namespace blockdrop {

void ShapeArray::create(int index)
{
    if (index <= 0 || index >= size || created_.test(static_cast<std::size_t>(index)))
        throw std::logic_error("cell " + std::to_string(index) + " cannot be created");
    Shape copy = shapes_[0];
    copy.Visible = false;
    shapes_[static_cast<std::size_t>(index)] = copy;
    created_.set(static_cast<std::size_t>(index));
}

void ShapeArray::missing(int index)
{
    throw std::out_of_range("cell " + std::to_string(index) + " does not exist");
}

} // namespace blockdrop
