// Writes the game's icon as a Windows .ico, at the sizes Windows shows: the
// title bar and taskbar (16, 24, 32) and Explorer (48, 64).
//   make_icon blockdrop.ico
#include "shell/windows/icon.hpp"

#include <exception>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_icon icon.ico\n";
        return 2;
    }
    try {
        std::vector<blockdrop::icon::Picture> pictures;
        for (const int size : {16, 24, 32, 48, 64})
            pictures.push_back(blockdrop::icon::game_icon(size));
        std::ofstream out(argv[1], std::ios::binary);
        out << blockdrop::icon::ico_file(pictures);
        if (!out)
            throw std::runtime_error(std::string("cannot write ") + argv[1]);
    } catch (const std::exception& failure) {
        std::cerr << "make_icon: " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
