// The automation surface: what a test, the host program or an outside client
// may read and do to the open windows. Input goes through forms::input, the
// same path a backend's input takes, so every handler runs as it would for a
// user. Like the rest of the toolkit, call it on the UI thread only.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "forms/display_list.h"
#include "forms/drawing.h"
#include "forms/events.h"
#include "forms/text.h"

namespace forms {
class Control;
class Form;
class ListBox;
}  // namespace forms

namespace forms::automation {

// Thrown when a control cannot take the requested input (hidden, or no such line).
struct AutomationError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Forms shown and not closed, in creation order.
std::vector<Form*> OpenForms();
// The open form with this Name, or null.
Form* FindForm(std::u16string_view name);
// The control with this Name in the form's tree (depth first), or null.
Control* Find(Form& form, std::u16string_view name);
// Find, and check the type; throws AutomationError if missing or of another type.
template <class T>
T& Get(Form& form, std::u16string_view name) {
    T* found = dynamic_cast<T*>(Find(form, name));
    if (!found) throw AutomationError("no control of that name and type");
    return *found;
}

struct ControlInfo {
    String name;
    String text;
    Rectangle bounds;         // in the parent's client area (a form: outer, on the screen)
    Rectangle clientBounds;   // in the form's client area (a form: its client area)
    bool visible = false;     // this control and every container up to the form
    bool enabled = false;
    bool focused = false;
};
ControlInfo Inspect(const Control& control);

struct ListInfo {
    std::vector<String> lines;
    std::vector<int> selected;  // ascending
    int caret = 0;
    int anchor = -1;
    int top = 0;
    int pageSize = 1;
};
ListInfo InspectList(const ListBox& list);

// A left click in the middle of `control`, with Shift/Control in `modifiers`.
void Click(Control& control, Keys modifiers = Keys::None);
// A click on line `index`; the list is scrolled to show the line first, as a
// user would. Throws AutomationError for a line that does not exist.
void ClickLine(ListBox& list, int index, Keys modifiers = Keys::None);
// A key press (code and modifiers) on the form, routed to its focused control.
void PressKey(Form& form, Keys keyData);
void MoveTo(Form& form, Point location);
// Outer size, frame and caption included.
void ResizeTo(Form& form, Size outer);
// The close box.
void Close(Form& form);

// The form's client area as drawn.
DisplayList Paint(const Form& form);
// The form's client area as the text backend draws it (see TextBackend), with
// its caption: buttons show as [Text] ({Text} with the focus); a list line is
// marked in the first column: '*' selected, '>' the focused caret, '#' both.
std::string RenderText(const Form& form);

}  // namespace forms::automation
