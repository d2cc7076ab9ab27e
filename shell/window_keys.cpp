#include "shell/window_keys.hpp"

#include "shell/platform.hpp"

namespace blockdrop {

bool switches_full_screen(int key_code, int modifiers)
{
    constexpr int key_f11 = key_f1 + 10;
    return key_code == key_f11 || (key_code == key_return && (modifiers & alt_mask) != 0);
}

} // namespace blockdrop
