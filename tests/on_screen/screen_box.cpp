#include "tests/on_screen/screen_box.hpp"

#include "tests/on_screen/screen_board.hpp"

#include "shell/desktop/dialog/box_font.hpp"
#include "shell/desktop/dialog/box_layout.hpp"

#include <SDL.h>

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <utility>

namespace blockdrop::window_testing {

struct BoxPictures::Pictures {
    BoxLayout won_layout;
    BoxLayout lost_layout;
    Image won;
    Image lost;
};

namespace {

Image drawn(const BoxLayout& layout, const BoxText& text)
{
    const auto font_file = BoxFont::find();
    if (!font_file)
        throw std::runtime_error("the game's font is not installed");
    BoxFont font(*font_file, layout.text_pixels);
    const PixelRect& frame = layout.frame;
    // The window up to the box, so the box lands at its own coordinates; a
    // 24-bit X server gives SDL windows this format.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(
        0, frame.x + frame.width, frame.y + frame.height, 32, SDL_PIXELFORMAT_RGB888);
    if (surface == nullptr)
        throw std::runtime_error("cannot make an off-screen picture");
    draw(surface, 0, 0, box_drawing(layout, text), font);
    Image image{frame.width, frame.height, {}};
    SDL_LockSurface(surface);
    for (int y = frame.y; y < frame.y + frame.height; ++y) {
        const auto* row =
            reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) +
                                            static_cast<std::ptrdiff_t>(y) * surface->pitch);
        for (int x = frame.x; x < frame.x + frame.width; ++x) {
            Uint8 r = 0;
            Uint8 g = 0;
            Uint8 b = 0;
            SDL_GetRGB(row[x], surface->format, &r, &g, &b);
            image.pixels.push_back(Rgb{r, g, b});
        }
    }
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return image;
}

} // namespace

BoxPictures::BoxPictures(double scale, std::optional<PadMarks> marks)
    : BoxPictures(lay_out(client_size(scale), scale), marks)
{
}

BoxPictures::BoxPictures(const Placement& placed, std::optional<PadMarks> marks)
    : pictures_(std::make_unique<Pictures>())
{
    pictures_->won_layout = box_layout(Buttons::ok, placed);
    pictures_->lost_layout = box_layout(Buttons::ok_cancel, placed);
    pictures_->won =
        drawn(pictures_->won_layout, {"You Won", "You win! Great!", Buttons::ok, marks});
    pictures_->lost = drawn(pictures_->lost_layout,
                            {"You Lost", "You lost. Try again?", Buttons::ok_cancel, marks});
}

BoxPictures::~BoxPictures() = default;

BoxPictures::Area BoxPictures::area() const
{
    const PixelRect& frame = pictures_->won_layout.frame;
    return Area{frame.x, frame.y, frame.width, frame.height};
}

Box BoxPictures::shown(const XClient& x, Window window) const
{
    const Area at = area();
    // One pixel first, the box's top-left corner: the full comparison only
    // when it has the box's colour, so that polling stays cheap.
    const auto corner = x.capture(window, at.x, at.y, 1, 1);
    if (!corner || !(corner->pixels == std::vector{pictures_->lost.pixels.front()}))
        return Box::none;
    const auto image = x.capture(window, at.x, at.y, at.width, at.height);
    return image ? which(image->pixels) : Box::none;
}

bool BoxPictures::covered(const Image& window_image) const
{
    const Area at = area();
    return !(window_image.at(at.x, at.y) == background);
}

Box BoxPictures::shown(const Image& window_image) const
{
    const Area at = area();
    if (window_image.width < at.x + at.width || window_image.height < at.y + at.height)
        return Box::none;
    Image part{at.width, at.height, {}};
    for (int y = at.y; y < at.y + at.height; ++y) {
        for (int x = at.x; x < at.x + at.width; ++x)
            part.pixels.push_back(window_image.at(x, y));
    }
    return which(part.pixels);
}

Box BoxPictures::which(const std::vector<Rgb>& pixels) const
{
    if (pixels == pictures_->lost.pixels)
        return Box::lost;
    if (pixels == pictures_->won.pixels)
        return Box::won;
    return Box::none;
}

std::pair<int, int> BoxPictures::button_centre(Box box, int answer) const
{
    const BoxLayout& layout = box == Box::won ? pictures_->won_layout : pictures_->lost_layout;
    const PixelRect& button = answer == answer_cancel ? layout.cancel : layout.ok;
    return {button.x + button.width / 2, button.y + button.height / 2};
}

const BoxPictures& SdlPictureFront::boxes(const Placement& placed) const
{
    auto& made = boxes_[std::tuple{placed.box_scale, placed.box.x, placed.box.y}];
    if (!made)
        made = std::make_unique<BoxPictures>(placed, box_marks());
    return *made;
}

Placement SdlPictureFront::placement() const
{
    return lay_out(window_size(), natural_scale());
}

PixelSize SdlPictureFront::window_size() const
{
    const auto image = window_picture();
    return image ? PixelSize{image->width, image->height} : PixelSize{};
}

std::optional<SdlPictureFront::Seen> SdlPictureFront::seen() const
{
    auto image = window_picture();
    if (!image)
        return std::nullopt;
    const Placement placed = placement_in(*image, natural_scale());
    return Seen{std::move(*image), placed};
}

std::string SdlPictureFront::board() const
{
    const auto shown = seen();
    return shown ? board_in(shown->window, shown->placed) : std::string();
}

Shown SdlPictureFront::box() const
{
    const auto shown = seen();
    return shown ? box_in(shown->window, shown->placed) : Shown::none;
}

std::pair<std::string, Shown> SdlPictureFront::look() const
{
    const auto shown = seen();
    if (!shown)
        return {{}, Shown::none};
    return {board_in(shown->window, shown->placed), box_in(shown->window, shown->placed)};
}

Shown SdlPictureFront::box_in(const Image& window, const Placement& placed) const
{
    switch (boxes(placed).shown(window)) {
    case Box::won: return Shown::won;
    case Box::lost: return Shown::lost;
    case Box::none: break;
    }
    return boxes(placed).covered(window) ? Shown::other : Shown::none;
}

PixelRect SdlPictureFront::box_over(const Image& window) const
{
    const Placement placed = placement_in(window, natural_scale());
    return box_in(window, placed) == Shown::none ? PixelRect{} : placed.box;
}

void SdlPictureFront::expect_set_up_board() const
{
    const auto image = window_picture();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, std::lround(6090 * natural_scale() / 15));
    EXPECT_EQ(image->height, std::lround(6360 * natural_scale() / 15));
    expect_set_up_picture(*image, natural_scale());
}

void SdlPictureFront::expect_whole_board() const
{
    const auto shown = seen();
    ASSERT_TRUE(shown);
    expect_whole_picture(part_of(shown->window, shown->placed.board), shown->placed.scale);
}

void SdlPictureFront::expect_board_fits() const
{
    // The window's new size may show before the game's picture for it; a
    // box that is up stays where the layout puts it.
    std::optional<Image> image;
    const auto fits = [&] {
        return (image = window_picture()) &&
               picture_fits(*image, natural_scale(), box_over(*image));
    };
    wait_until(fits, 3s);
    ASSERT_TRUE(image);
    expect_fitted_picture(*image, natural_scale(), box_over(*image));
}

PixelRect SdlPictureFront::board_rect() const
{
    // Where the layout puts it, once the picture shows it there to the pixel.
    std::optional<Seen> shown;
    const auto fits = [&] {
        return (shown = seen()) &&
               picture_fits(shown->window, natural_scale(), box_over(shown->window));
    };
    return wait_until(fits, 3s) ? shown->placed.board : PixelRect{};
}

PixelRect SdlPictureFront::box_rect() const
{
    const auto shown = seen();
    if (!shown || box_in(shown->window, shown->placed) == Shown::none)
        return {};
    return shown->placed.box;
}

std::pair<int, int> SdlPictureFront::button_centre(const std::string& button) const
{
    return boxes(placement()).button_centre(Box::lost, button == "OK" ? answer_ok : answer_cancel);
}

} // namespace blockdrop::window_testing
