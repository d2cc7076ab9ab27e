// Minimises the game's window or restores it, as a click on its task bar
// button does: the Wine window tests' way to have the player leave the game
// and come back. `show_window minimise` or `show_window restore`; exits 1
// when there is no game window.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    const HWND game = FindWindowW(L"BlockDrop", nullptr);
    if (game == nullptr || argc != 2)
        return 1;
    ShowWindow(game, std::wcscmp(argv[1], L"minimise") == 0 ? SW_MINIMIZE : SW_RESTORE);
    return 0;
}
