#include "shell/web/keys.hpp"

#include "shell/platform.hpp"

#include <array>
#include <utility>

namespace blockdrop::web {

int virtual_key(std::string_view key)
{
    static constexpr std::array<std::pair<std::string_view, int>, 15> named = {{
        {"ArrowLeft", key_left},
        {"ArrowRight", key_right},
        {"ArrowUp", key_up},
        {"ArrowDown", key_down},
        {"Backspace", key_back},
        {"Tab", key_tab},
        {"Enter", key_return},
        {"Escape", key_escape},
        {" ", key_space},
        {"PageUp", key_page_up},
        {"PageDown", key_page_down},
        {"End", key_end},
        {"Home", key_home},
        {"Insert", key_insert},
        {"Delete", key_delete},
    }};
    for (const auto& [name, code] : named) {
        if (key == name)
            return code;
    }
    if (key.size() == 1) {
        const char c = key[0];
        if (c >= 'a' && c <= 'z')
            return 'A' + (c - 'a');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return c;
        return 0;
    }
    // F1 to F12.
    if ((key.size() == 2 || key.size() == 3) && key[0] == 'F') {
        int number = 0;
        for (const char c : key.substr(1)) {
            if (c < '0' || c > '9')
                return 0;
            number = number * 10 + (c - '0');
        }
        return number >= 1 && number <= 12 ? key_f1 + number - 1 : 0;
    }
    return 0;
}

int modifier_state(bool shift, bool ctrl, bool alt)
{
    return (shift ? shift_mask : 0) | (ctrl ? ctrl_mask : 0) | (alt ? alt_mask : 0);
}

bool page_keeps(std::string_view key)
{
    return key == "ArrowLeft" || key == "ArrowRight" || key == "ArrowUp" || key == "ArrowDown" ||
           key == " ";
}

} // namespace blockdrop::web
