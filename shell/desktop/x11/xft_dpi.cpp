#include "shell/desktop/x11/xft_dpi.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace blockdrop {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

double dpi_from_resources(std::string_view resources)
{
    std::string_view value;
    // One resource to a line, "name: value"; a later line wins, as it does
    // in the resource database.
    while (!resources.empty()) {
        const auto end = resources.find('\n');
        const std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        const auto colon = line.find(':');
        if (colon != std::string_view::npos && trimmed(line.substr(0, colon)) == "Xft.dpi")
            value = trimmed(line.substr(colon + 1));
    }
    const std::string number(value);
    char* rest = nullptr;
    const double dpi = std::strtod(number.c_str(), &rest);
    const bool read = rest != number.c_str() && *rest == '\0' && std::isfinite(dpi) && dpi > 0;
    return read ? std::clamp(dpi, 48.0, 480.0) : 96.0;
}

} // namespace blockdrop
