// Builds the Windows icon from the game's SVG icon, at the sizes Windows
// shows: the title bar and taskbar (16, 24, 32) and Explorer (48, 64).
//   make_icon data/blockdrop.svg blockdrop.ico
#include "shell/windows/icon.hpp"

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_icon drawing.svg icon.ico\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        std::stringstream svg;
        svg << in.rdbuf();
        if (!in)
            throw std::runtime_error(std::string("cannot read ") + argv[1]);
        std::vector<blockdrop::icon::Picture> pictures;
        for (const int size : {16, 24, 32, 48, 64})
            pictures.push_back(blockdrop::icon::rasterise(svg.str(), size));
        std::ofstream out(argv[2], std::ios::binary);
        out << blockdrop::icon::ico_file(pictures);
        if (!out)
            throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& failure) {
        std::cerr << "make_icon: " << failure.what() << '\n';
        return 1;
    }
    return 0;
}
