#pragma once

#include "shell/pad_marks.hpp"

#include "tests/on_screen/scenario.hpp"
#include "tests/on_screen/x_session.hpp"

#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

namespace blockdrop::window_testing {

// The game's two message boxes as they are drawn in its window.
enum class Box { none, won, lost };

// What the win and the loss box must look like in the game window at a
// scale: drawn, each with its own title, prompt and buttons, by the game's
// box code in the game's font onto an off-screen picture of the window's
// pixel format, so a window showing a box matches one of them to the pixel.
class BoxPictures {
public:
    // With `marks`, the boxes as they show once the player has used a pad;
    // in a window of its natural size at `scale`, or where `placed` puts
    // them.
    explicit BoxPictures(double scale = 1.0, std::optional<PadMarks> marks = std::nullopt);
    explicit BoxPictures(const Placement& placed, std::optional<PadMarks> marks = std::nullopt);
    ~BoxPictures();
    BoxPictures(const BoxPictures&) = delete;
    BoxPictures& operator=(const BoxPictures&) = delete;

    // Which box the window shows: its box area equal to one of the pictures,
    // none if it equals neither.
    Box shown(const XClient& x, Window window) const;
    Box shown(const Image& window_image) const;

    // Something other than the background where the boxes go: a box, right
    // or wrong.
    bool covered(const Image& window_image) const;

    // The centre of the button that gives `answer` (1 OK, 2 Cancel) on a box.
    std::pair<int, int> button_centre(Box box, int answer) const;

private:
    // The area both boxes cover: x, y, width, height.
    struct Area {
        int x, y, width, height;
    };
    Area area() const;
    Box which(const std::vector<Rgb>& pixels) const;

    struct Pictures;
    std::unique_ptr<Pictures> pictures_;
};

// What the SDL game's drivers, under X and on Wayland, read alike from a
// picture of its window: the board and its own boxes where the layout puts
// them, both to the pixel.
class SdlPictureFront : public Front {
public:
    std::string board() const override;
    Shown box() const override;
    std::pair<std::string, Shown> look() const override;
    // The window the client area's size at the scale, the set-up board in
    // it to the pixel.
    void expect_set_up_board() const override;
    void expect_whole_board() const override;
    void expect_board_fits() const override;
    PixelSize window_size() const override;

    PixelRect board_rect() const override;
    PixelRect box_rect() const override;

protected:
    // The window's picture in device pixels, as the screen shows it.
    virtual std::optional<Image> window_picture() const = 0;
    // The scale the game opens at: the desktop's.
    virtual double natural_scale() const = 0;
    // The pad's marks the boxes show beside their buttons, if any.
    virtual std::optional<PadMarks> box_marks() const { return std::nullopt; }
    // Where the board and a box are in the window now.
    Placement placement() const;
    // The centre of the box's button "OK" or "Cancel", in the window's
    // device pixels.
    std::pair<int, int> button_centre(const std::string& button) const;
    const BoxPictures& boxes(const Placement& placed) const;

private:
    // The window's picture and where the layout puts board and box in it;
    // none while there is no window.
    struct Seen {
        Image window;
        Placement placed;
    };
    std::optional<Seen> seen() const;
    // Which box the window's picture shows where `placed` puts it.
    Shown box_in(const Image& window, const Placement& placed) const;
    // Where a box is up in the window's picture, empty when none is.
    PixelRect box_over(const Image& window) const;
    mutable std::map<std::tuple<double, int, int>, std::unique_ptr<BoxPictures>> boxes_;
};

} // namespace blockdrop::window_testing
