#include "tests/on_screen/wine_session.hpp"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace blockdrop::window_testing {
namespace {

std::string required(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        throw std::runtime_error(std::string(name) + " is not set (scripts/wine-prefix.sh up)");
    return value;
}

} // namespace

std::string wine_prefix()
{
    return required("WINEPREFIX");
}

std::string windows_game()
{
    return required("BLOCKDROP_WINDOWS_GAME");
}

std::string windows_test_game()
{
    return required("BLOCKDROP_WINDOWS_TEST_GAME");
}

std::unique_ptr<GameProcess> start_windows_game(const std::string& display,
                                                const std::vector<double>& draws)
{
    std::vector<EnvChange> environment = rehearsal(draws);
    environment.push_back({"WINEPREFIX", wine_prefix()});
    environment.push_back({"WINEDEBUG", "-all"});
    return std::make_unique<GameProcess>(
        std::vector<std::string>{"wine", draws.empty() ? windows_game() : windows_test_game()},
        display, environment);
}

bool show_windows_game(const std::string& display, bool shown)
{
    const std::string command =
        "DISPLAY='" + display + "' WINEPREFIX='" + wine_prefix() + "' WINEDEBUG=-all wine '" +
        required("BLOCKDROP_WINDOWS_SHOW_WINDOW") + "' " + (shown ? "restore" : "minimise");
    return std::system(command.c_str()) == 0;
}

Area client_area(std::pair<int, int> window_size, int client_width, int client_height)
{
    const int border = (window_size.first - client_width) / 2;
    return Area{border, window_size.second - client_height - border, client_width, client_height};
}

bool set_wine_dpi(int dpi)
{
    const std::string prefix = "WINEPREFIX='" + wine_prefix() + "' WINEDEBUG=-all ";
    const std::string command =
        prefix + "wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d " +
        std::to_string(dpi) + " /f >/dev/null 2>&1 && " + BLOCKDROP_SOURCE_DIR +
        "/scripts/wine-prefix.sh restart '" + wine_prefix() + "'";
    return std::system(command.c_str()) == 0;
}

std::vector<pid_t> windows_game_processes(const std::string& display)
{
    return wine_processes(display, std::filesystem::path(windows_game()).filename().string());
}

std::vector<pid_t> wine_prefix_processes()
{
    return wine_processes({}, {});
}

std::vector<pid_t> wine_processes(const std::string& display, const std::string& program)
{
    const std::string in_prefix = "WINEPREFIX=" + wine_prefix();
    // No display: any display.
    const std::string on_display = display.empty() ? std::string() : "DISPLAY=" + display;
    const auto has = [](const std::string& environment, const std::string& entry) {
        return environment.rfind(entry + '\0', 0) == 0 ||
               environment.find('\0' + entry + '\0') != std::string::npos;
    };
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string command = file_text(entry.path() / "cmdline");
        command = command.substr(0, command.find('\0'));
        if (command.size() < program.size() ||
            command.compare(command.size() - program.size(), program.size(), program) != 0)
            continue;
        // Wine's own programs only, not the X server or the test that runs
        // with the prefix in its environment.
        std::error_code unreadable;
        const auto executable = std::filesystem::read_symlink(entry.path() / "exe", unreadable);
        if (unreadable || executable.parent_path().filename() != "wine")
            continue;
        const std::string environment = file_text(entry.path() / "environ");
        if (!has(environment, in_prefix) || (!on_display.empty() && !has(environment, on_display)))
            continue;
        // The state follows the command name in parentheses.
        const std::string stat = file_text(entry.path() / "stat");
        const auto state = stat.rfind(')');
        if (state != std::string::npos && state + 2 < stat.size() && stat[state + 2] == 'Z')
            continue;
        found.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return found;
}

} // namespace blockdrop::window_testing
