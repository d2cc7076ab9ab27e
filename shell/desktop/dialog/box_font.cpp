#include "shell/desktop/dialog/box_font.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace blockdrop {

namespace {

// Debian and Ubuntu (fonts-dejavu-core), Fedora, Arch.
constexpr std::array font_files = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu-sans-fonts/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
};

// Where row `row` of a glyph `width` pixels wide starts in its coverage.
std::size_t cell(int row, int width)
{
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
}

// Lays the glyph over the surface in `colour` as it covers each pixel,
// inside `clip` only; every picture has 32-bit pixels (paint_in_32_bits).
void blend(SDL_Surface* surface, const SDL_Rect& clip, int x, int y, const Glyph& glyph,
           Colour colour)
{
    for (int row = 0; row < glyph.rows; ++row) {
        const int at_y = y + row;
        if (at_y < clip.y || at_y >= clip.y + clip.h)
            continue;
        auto* line = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) +
                                               static_cast<std::ptrdiff_t>(at_y) * surface->pitch);
        for (int column = 0; column < glyph.width; ++column) {
            const int at_x = x + column;
            const unsigned cover = glyph.coverage[cell(row, glyph.width) + cell(column, 1)];
            if (cover == 0 || at_x < clip.x || at_x >= clip.x + clip.w)
                continue;
            Uint8 red = 0;
            Uint8 green = 0;
            Uint8 blue = 0;
            SDL_GetRGB(line[at_x], surface->format, &red, &green, &blue);
            const auto mix = [cover](Uint8 under, Uint8 over) {
                return static_cast<Uint8>((under * (255 - cover) + over * cover + 127) / 255);
            };
            line[at_x] = SDL_MapRGB(surface->format, mix(red, colour.red), mix(green, colour.green),
                                    mix(blue, colour.blue));
        }
    }
}

} // namespace

std::optional<std::string> BoxFont::find()
{
    for (const char* file : font_files) {
        if (access(file, R_OK) == 0)
            return std::string(file);
    }
    return std::nullopt;
}

BoxFont::BoxFont(const std::string& path, int pixels)
{
    if (FT_Init_FreeType(&library_) != 0)
        throw std::runtime_error("cannot start FreeType");
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0 || pixels < 1 ||
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels)) != 0) {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
        throw std::runtime_error("cannot open the font " + path + " at " + std::to_string(pixels) +
                                 " pixels");
    }
}

BoxFont::~BoxFont()
{
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
}

void BoxFont::resize(int pixels)
{
    if (pixels < 1 || FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels)) != 0)
        throw std::runtime_error("cannot size the font to " + std::to_string(pixels) + " pixels");
    glyphs_.clear();
}

// FreeType gives sizes in 64ths of a pixel, whole pixels at a hinted size.
int BoxFont::ascent() const
{
    return static_cast<int>((face_->size->metrics.ascender + 63) / 64);
}

int BoxFont::descent() const
{
    return static_cast<int>((-face_->size->metrics.descender + 63) / 64);
}

const Glyph& BoxFont::glyph(char32_t code)
{
    if (const auto known = glyphs_.find(code); known != glyphs_.end())
        return known->second;
    Glyph drawn;
    if (FT_Load_Char(face_, code, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlotRec* slot = face_->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        drawn.advance = static_cast<int>((slot->advance.x + 32) / 64);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            drawn.left = slot->bitmap_left;
            drawn.top = slot->bitmap_top;
            drawn.width = static_cast<int>(bitmap.width);
            drawn.rows = static_cast<int>(bitmap.rows);
            drawn.coverage.resize(cell(drawn.rows, drawn.width));
            // A negative pitch runs from the bottom row up.
            const int step = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
            for (int row = 0; row < drawn.rows; ++row) {
                const int stored = bitmap.pitch < 0 ? drawn.rows - 1 - row : row;
                std::memcpy(&drawn.coverage[cell(row, drawn.width)],
                            bitmap.buffer + static_cast<std::ptrdiff_t>(stored) * step,
                            static_cast<std::size_t>(drawn.width));
            }
        }
    }
    return glyphs_.emplace(code, std::move(drawn)).first->second;
}

int BoxFont::kerning(char32_t left, char32_t right) const
{
    if (!FT_HAS_KERNING(face_))
        return 0;
    FT_Vector delta{};
    FT_Get_Kerning(face_, FT_Get_Char_Index(face_, left), FT_Get_Char_Index(face_, right),
                   FT_KERNING_DEFAULT, &delta);
    return static_cast<int>(delta.x / 64);
}

void draw_text(SDL_Surface* surface, BoxFont& font, const TextRun& run)
{
    const SDL_Rect whole{0, 0, surface->w, surface->h};
    const SDL_Rect inside{run.band.x, run.band.y, run.band.width, run.band.height};
    SDL_Rect clip;
    // A picture drawn in parts meets most lines in only some of them.
    if (SDL_IntersectRect(&inside, &whole, &clip) != SDL_TRUE)
        return;
    for (const PlacedGlyph& placed : place_text(font, run))
        blend(surface, clip, placed.x, placed.y, *placed.glyph, run.colour);
}

void draw(SDL_Surface* part, int left, int top, const Drawing& drawing, BoxFont& font)
{
    for (const Fill& fill : drawing.fills) {
        const SDL_Rect rect{fill.rect.x - left, fill.rect.y - top, fill.rect.width,
                            fill.rect.height};
        SDL_FillRect(
            part, &rect,
            SDL_MapRGB(part->format, fill.colour.red, fill.colour.green, fill.colour.blue));
    }
    for (TextRun run : drawing.texts) {
        run.band.x -= left;
        run.band.y -= top;
        if (run.left)
            *run.left -= left;
        draw_text(part, font, run);
    }
}

} // namespace blockdrop
