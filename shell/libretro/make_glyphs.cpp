// Draws the box's glyphs at the core's text size with the desktop's font
// code, and writes them as C++ for the core: run by the build.
#include "shell/desktop/dialog/box_font.hpp"
#include "shell/libretro/baked_glyphs.hpp"
#include "shell/libretro/frame_layout.hpp"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace blockdrop;
    using namespace blockdrop::libretro;
    if (argc != 2) {
        std::cerr << "usage: make_glyphs OUTPUT.cpp\n";
        return 2;
    }
    try {
        const auto path = BoxFont::find();
        if (!path)
            throw std::runtime_error("no DejaVu Sans (fonts-dejavu-core) to draw the glyphs with");
        BoxFont font(*path, frame_text_pixels());
        std::ofstream out(argv[1]);
        out << "// Made by make_glyphs from " << *path << "; not to be edited.\n"
            << "#include \"shell/libretro/baked_glyphs.hpp\"\n\n"
            << "namespace blockdrop::libretro::baked {\n\n"
            << "const int text_pixels = " << frame_text_pixels() << ";\n"
            << "const int ascent = " << font.ascent() << ";\n"
            << "const int descent = " << font.descent() << ";\n\n"
            << "const GlyphEntry glyphs[] = {\n";
        std::size_t offset = 0;
        for (char32_t code = baked::first; code <= baked::last; ++code) {
            const Glyph& glyph = font.glyph(code);
            out << "    {" << glyph.left << ", " << glyph.top << ", " << glyph.width << ", "
                << glyph.rows << ", " << glyph.advance << ", " << offset << "},\n";
            offset += glyph.coverage.size();
        }
        out << "};\n\nconst unsigned char coverage[] = {\n";
        for (char32_t code = baked::first; code <= baked::last; ++code) {
            for (const unsigned char cover : font.glyph(code).coverage)
                out << static_cast<int>(cover) << ',';
            out << '\n';
        }
        out << "0};\n\nconst KernEntry kerning[] = {\n";
        std::size_t pairs = 0;
        for (char32_t left = baked::first; left <= baked::last; ++left) {
            for (char32_t right = baked::first; right <= baked::last; ++right) {
                if (const int pixels = font.kerning(left, right); pixels != 0) {
                    out << "    {" << static_cast<unsigned>(left) << ", " << static_cast<unsigned>(right) << ", "
                        << pixels << "},\n";
                    ++pairs;
                }
            }
        }
        out << "    {0, 0, 0}};\nconst std::size_t kerning_count = " << pairs << ";\n\n"
            << "} // namespace blockdrop::libretro::baked\n";
        if (!out.flush())
            throw std::runtime_error(std::string("cannot write ") + argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "make_glyphs: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
