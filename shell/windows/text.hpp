#pragma once

#include <string>
#include <string_view>

namespace blockdrop::windows {

// UTF-8 text as the UTF-16 that the system's wide-character calls take.
std::wstring wide(std::string_view text);

} // namespace blockdrop::windows
