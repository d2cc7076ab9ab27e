#pragma once

#include "shell/icon.hpp"

#include <string>
#include <vector>

namespace blockdrop::icon {

// An .ico file holding the pictures as 32-bit images with alpha.
std::string ico_file(const std::vector<Picture>& pictures);

} // namespace blockdrop::icon
