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

// What an item stands for beyond its shape. A backend that paints pixels may
// ignore it; one that draws symbols instead (the text backend) or describes the
// window reads it, and never guesses from control types or geometry.
enum class ItemRole : std::uint8_t {
    None,
    ButtonFrame,    // Frame: a push button's (RaisedDefault: the one Enter clicks)
    SelectedLine,   // Selection: behind a selected list line
    CaretLine,      // Focus: on the caret line of a focused list
    FocusedButton,  // Focus: inside a focused push button, by `inset`
};

// One drawing command. Coordinates are in the form's client area; `clip` is the
// rectangle the item may touch (the intersection of every enclosing control).
struct DisplayItem {
    DrawKind kind = DrawKind::Fill;
    ColorRole color = ColorRole::Control;
    FrameStyle frame = FrameStyle::Sunken;
    TextAlign align = TextAlign::Left;
    ItemRole role = ItemRole::None;
    // For a focus mark: how far inside the box of what has the focus it lies,
    // on every side (the box is `bounds` grown by this).
    std::uint8_t inset = 0;
    Rectangle bounds;
    Rectangle clip;
    String text;
    // The control that painted the item; valid while its form lives.
    const Control* source = nullptr;
};

using DisplayList = std::vector<DisplayItem>;

}  // namespace forms
