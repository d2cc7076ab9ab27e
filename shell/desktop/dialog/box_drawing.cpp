#include "shell/desktop/dialog/box_drawing.hpp"

#include "shell/design.hpp"

namespace blockdrop {

namespace {

PixelRect shrunk(const PixelRect& rect, int by)
{
    return PixelRect{rect.x + by, rect.y + by, rect.width - 2 * by, rect.height - 2 * by};
}

void add_button(Drawing& drawing, const PixelRect& button, int edge, std::string label)
{
    drawing.fills.push_back({button, box_frame});
    drawing.fills.push_back({shrunk(button, edge), box_button});
    drawing.texts.push_back({std::move(label), box_text, shrunk(button, edge), std::nullopt});
}

} // namespace

Drawing box_drawing(const BoxLayout& layout, const BoxText& text)
{
    Drawing drawing;
    drawing.fills = {{layout.frame, box_frame},
                     {shrunk(layout.frame, layout.border), box_face},
                     {layout.title_bar, box_title_bar}};
    drawing.texts = {{std::string(text.title), box_title_text, layout.title_bar, layout.text_left},
                     {std::string(text.prompt), box_text, layout.prompt, layout.text_left}};
    add_button(drawing, layout.ok, 2 * layout.border, "OK");
    if (text.buttons == Buttons::ok_cancel)
        add_button(drawing, layout.cancel, layout.border, "Cancel");
    return drawing;
}

} // namespace blockdrop
