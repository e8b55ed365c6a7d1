// What assistive technology sees of a form, and what it may do to it.
//
// The tree is computed from the live controls each time it is asked, never
// stored beside them: the form is a window named by its title; under it the
// visible controls, with layout panels flattened away; a list box is a list
// whose children are its lines; a button is a push button with one action.
// A node is a value (a control, and a line for a list's line); it stays
// meaningful only until the controls change, which the notices below report.
//
// Requests go through the input path (forms::input, as automation.h does), so
// the model stays the authority and the window's handlers run as for a click.
// The backend bridges the tree to the platform's interface (ATK, MSAA) and
// turns the notices (Backend::Notify) into the platform's events.
//
// Everything runs on the UI thread; a bridge answering a client on another
// thread must first get onto it.
#pragma once

#include <cstdint>
#include <string_view>

#include "forms/drawing.h"
#include "forms/text.h"

namespace forms {
class Control;
class Form;
class ListBox;
}  // namespace forms

namespace forms::accessibility {

enum class Role { Window, List, ListItem, PushButton };

enum class States : std::uint32_t {
    None = 0,
    Enabled = 1u << 0,
    Focusable = 1u << 1,
    Focused = 1u << 2,  // has the keyboard focus: the active form's focused control, or the list's caret line
    Selectable = 1u << 3,
    Selected = 1u << 4,
    MultiSelectable = 1u << 5,
    Offscreen = 1u << 6,  // a line outside the visible rows
    Active = 1u << 7,     // a window that is the active form
};
constexpr States operator|(States a, States b) {
    return static_cast<States>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr States operator&(States a, States b) {
    return static_cast<States>(static_cast<std::uint32_t>(a) & static_cast<std::uint32_t>(b));
}
constexpr bool Has(States set, States flag) { return (set & flag) == flag && flag != States::None; }

// A control (a form, a list box, a button), or line `line` of a list box.
struct Node {
    Control* control = nullptr;
    int line = -1;
    explicit operator bool() const { return control != nullptr; }
    friend bool operator==(const Node&, const Node&) = default;
};

Node Root(Form& form);
Role RoleOf(Node node);
// The form's title, a button's text, a line's text (a list's own Text, usually empty).
String Name(Node node);
States StatesOf(Node node);
// In the form's client area. A line's bounds lie outside the list's when it is offscreen.
Rectangle Bounds(Node node);
// "press" for a button, nothing for the rest.
std::u16string_view DefaultAction(Node node);

int ChildCount(Node node);
// Throws std::out_of_range for an index that is not a child.
Node Child(Node node, int index);
// Null for the form.
Node Parent(Node node);
int IndexInParent(Node node);
// The node with the keyboard focus within `form`: its active control, or the
// caret line of a list that has it and has lines. Null when nothing has it.
Node FocusedNode(Form& form);
// The deepest node at `point` in the form's client area, or null outside it.
Node HitTest(Form& form, Point point);

// Requests. Each is one dispatch of input (see forms::input); errors thrown by
// handlers pass to the caller, and a request that cannot be done (a hidden or
// disabled control, a line that is gone) throws automation::AutomationError.
// The node's default action: a button is clicked.
void DoDefaultAction(Node node);
enum class Selecting {
    Only,    // this line alone, as a plain click
    Add,     // this line too (a Ctrl click on a line not selected)
    Remove,  // not this line (a Ctrl click on a selected line)
    Toggle,  // a Ctrl click
};
void Select(Node line, Selecting how);
// Every line (a click on the first, a Shift click on the last), and none
// (a Ctrl click on each selected line).
void SelectAll(ListBox& list);
void ClearSelection(ListBox& list);
// Activates the form and gives the focus to the control (for a line: moves
// the caret there as an arrow key would, without changing the selection).
void TakeFocus(Node node);

// What changed, reported to the backend for a form whose window exists.
enum class Change {
    Shown,             // node: the form; after it became visible
    Closed,            // node: the form; before its window goes
    LinesInserted,     // node: the list; lines [index, index + count) are new
    LinesRemoved,      // node: the list; the lines that were [index, index + count) are gone
    LinesReset,        // node: the list; every line may be new (a clear, or a bulk update); count: lines now
    SelectionChanged,  // node: the list
    FocusMoved,        // node: what has the focus now (FocusedNode), or the form when nothing in it has
    NameChanged,       // node: the form or control whose name changed
};
struct Notice {
    Change change;
    Node node;
    int index = 0;
    int count = 0;
};

}  // namespace forms::accessibility
