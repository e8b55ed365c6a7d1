// Drawing as data: every control paints into a display list, a backend only
// translates it, and tests read it.
#pragma once

#include <cstdint>
#include <vector>

#include "forms/drawing.h"
#include "forms/text.h"

namespace forms {

class Control;

// What colour an item takes; the backend maps roles to the desktop's colours.
enum class ColorRole : std::uint8_t {
    Control,        // face of buttons and forms
    Window,         // background of a list
    WindowText,
    Highlight,      // selected line
    HighlightText,
    GrayText,       // text of a disabled control
};

enum class DrawKind : std::uint8_t {
    Fill,       // a solid rectangle
    Frame,      // a control's border, see FrameStyle
    Text,       // a run of text laid out in `bounds`, see TextAlign
    Selection,  // the highlight behind a selected line
    Focus,      // the dotted focus mark
};

enum class FrameStyle : std::uint8_t { Sunken, Raised, RaisedDefault };
enum class TextAlign : std::uint8_t { Left, Center };

// One drawing command. Coordinates are in the form's client area; `clip` is the
// rectangle the item may touch (the intersection of every enclosing control).
struct DisplayItem {
    DrawKind kind = DrawKind::Fill;
    Rectangle bounds;
    Rectangle clip;
    ColorRole color = ColorRole::Control;
    FrameStyle frame = FrameStyle::Sunken;
    TextAlign align = TextAlign::Left;
    String text;
    // The control that painted the item; valid while its form lives.
    const Control* source = nullptr;
};

using DisplayList = std::vector<DisplayItem>;

}  // namespace forms
