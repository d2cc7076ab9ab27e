#include "shell/windows/text.hpp"

#include <windows.h>

namespace blockdrop::windows {

std::wstring wide(std::string_view text)
{
    if (text.empty())
        return {};
    const int bytes = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, result.data(), length);
    return result;
}

} // namespace blockdrop::windows
