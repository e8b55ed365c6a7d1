#include "forms/accessibility.h"

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "forms/application.h"
#include "forms/automation.h"
#include "forms/backend.h"
#include "forms/button.h"
#include "forms/detail.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "forms/notices.h"

namespace forms::accessibility {

namespace {

using automation::AutomationError;

ListBox* AsList(const Node& node) { return dynamic_cast<ListBox*>(node.control); }
bool IsLine(const Node& node) { return node.line >= 0; }

// Lists and buttons appear; forms are the root; every other control (a
// layout panel) is flattened into its parent.
bool Appears(const Control& control) {
    return dynamic_cast<const ListBox*>(&control) || dynamic_cast<const Button*>(&control);
}

// The visible children of `parent` in reading order: the tab order's
// (ascending TabIndex, on a tie the later added first), panels flattened.
void Collect(const Control& parent, std::vector<Control*>& out) {
    for (Control* c : detail::ChildrenInTabOrder(parent)) {
        if (!c->Visible()) continue;
        if (Appears(*c)) out.push_back(c);
        else Collect(*c, out);
    }
}

std::vector<Control*> ChildControls(const Node& node) {
    std::vector<Control*> out;
    if (node.control && !IsLine(node) && !AsList(node)) Collect(*node.control, out);
    return out;
}

ListBox& LineList(const Node& node) {
    ListBox* list = AsList(node);
    if (!list || !IsLine(node)) throw AutomationError("not a line of a list");
    if (node.line >= list->Items.Count()) throw AutomationError("no such line");
    return *list;
}

// Lines whose row starts inside the client area.
bool LineInView(const ListBox& list, int line) {
    const int top = list.TopIndex();
    const int rows = std::max(1, (list.ClientSize().Height + list.ItemHeight() - 1) / list.ItemHeight());
    return line >= top && line < top + rows;
}

}  // namespace

Node Root(Form& form) { return Node{&form}; }

Role RoleOf(Node node) {
    if (IsLine(node)) return Role::ListItem;
    if (AsList(node)) return Role::List;
    if (dynamic_cast<Button*>(node.control)) return Role::PushButton;
    return Role::Window;
}

String Name(Node node) {
    if (IsLine(node)) {
        ListBox* list = AsList(node);
        return list && node.line < list->Items.Count() ? list->Items[node.line] : String();
    }
    return node.control ? node.control->Text() : String();
}

States StatesOf(Node node) {
    if (!node) return States::None;
    Control& control = *node.control;
    States states = States::None;
    if (control.Enabled()) states = states | States::Enabled;
    if (ListBox* list = AsList(node)) {
        const SelectionMode mode = list->SelectionMode();
        if (IsLine(node)) {
            if (node.line >= list->Items.Count()) return States::None;
            if (list->CanSelect()) states = states | States::Focusable;
            if (mode != SelectionMode::None) states = states | States::Selectable;
            if (list->GetSelected(node.line)) states = states | States::Selected;
            if (list->Focused() && list->CaretIndex() == node.line) states = states | States::Focused;
            if (!LineInView(*list, node.line)) states = states | States::Offscreen;
            return states;
        }
        if (mode == SelectionMode::MultiSimple || mode == SelectionMode::MultiExtended)
            states = states | States::MultiSelectable;
    }
    if (Form* form = dynamic_cast<Form*>(&control); form && node.control == form) {
        if (form->IsActive()) states = states | States::Active;
        return states;
    }
    if (control.CanSelect()) states = states | States::Focusable;
    if (control.Focused()) states = states | States::Focused;
    return states;
}

Rectangle Bounds(Node node) {
    if (!node) return {};
    const Rectangle box = automation::Inspect(*node.control).clientBounds;
    ListBox* list = AsList(node);
    if (!list || !IsLine(node)) return box;
    const Padding in = list->ClientInsets();
    return list->GetItemRectangle(node.line).Offset(box.X + in.Left, box.Y + in.Top);
}

std::u16string_view DefaultAction(Node node) {
    return RoleOf(node) == Role::PushButton ? std::u16string_view(u"press") : std::u16string_view();
}

int ChildCount(Node node) {
    if (!node || IsLine(node)) return 0;
    if (ListBox* list = AsList(node)) return list->Items.Count();
    return static_cast<int>(ChildControls(node).size());
}

Node Child(Node node, int index) {
    if (!node || IsLine(node) || index < 0) throw std::out_of_range("no such child");
    if (ListBox* list = AsList(node)) {
        if (index >= list->Items.Count()) throw std::out_of_range("no such child");
        return Node{node.control, index};
    }
    const std::vector<Control*> children = ChildControls(node);
    if (static_cast<std::size_t>(index) >= children.size()) throw std::out_of_range("no such child");
    return Node{children[static_cast<std::size_t>(index)]};
}

Node Parent(Node node) {
    if (!node) return {};
    if (IsLine(node)) return Node{node.control};
    for (Control* up = node.control->Parent(); up; up = up->Parent())
        if (Appears(*up) || !up->Parent()) return Node{up};
    return {};
}

int IndexInParent(Node node) {
    if (IsLine(node)) return node.line;
    const Node parent = Parent(node);
    if (!parent) return -1;
    const std::vector<Control*> siblings = ChildControls(parent);
    const auto at = std::find(siblings.begin(), siblings.end(), node.control);
    return at == siblings.end() ? -1 : static_cast<int>(at - siblings.begin());
}

Node FocusedNode(Form& form) {
    Control* active = form.ActiveControl();
    if (!form.IsActive() || !active || !active->Focused()) return {};
    if (auto* list = dynamic_cast<ListBox*>(active); list && list->Items.Count() > 0)
        return Node{list, list->CaretIndex()};
    return Node{active};
}

Node HitTest(Form& form, Point point) {
    if (!form.ClientRectangle().Contains(point)) return {};
    Node found = Root(form);
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (Control* child : ChildControls(found)) {
            if (!Bounds(Node{child}).Contains(point)) continue;
            found = Node{child};
            deeper = true;
            break;
        }
    }
    if (ListBox* list = AsList(found)) {
        const Rectangle box = Bounds(found);
        const Padding in = list->ClientInsets();
        const Point local{point.X - box.X - in.Left, point.Y - box.Y - in.Top};
        if (list->ClientRectangle().Contains(local))
            if (const int line = list->IndexFromPoint(local); line >= 0) return Node{list, line};
    }
    return found;
}

void DoDefaultAction(Node node) {
    if (RoleOf(node) != Role::PushButton) throw AutomationError("no default action");
    if (!node.control->CanSelect()) throw AutomationError("the button cannot be pressed now");
    automation::Click(*node.control);
}

void Select(Node line, Selecting how) {
    ListBox& list = LineList(line);
    if (list.SelectionMode() == SelectionMode::None) throw AutomationError("the list selects nothing");
    const bool selected = list.GetSelected(line.line);
    switch (how) {
        case Selecting::Only: automation::ClickLine(list, line.line); break;
        case Selecting::Add:
            if (!selected) automation::ClickLine(list, line.line, Keys::Control);
            break;
        case Selecting::Remove:
            if (selected) automation::ClickLine(list, line.line, Keys::Control);
            break;
        case Selecting::Toggle: automation::ClickLine(list, line.line, Keys::Control); break;
    }
}

void SelectAll(ListBox& list) {
    const int count = list.Items.Count();
    if (count == 0) return;
    switch (list.SelectionMode()) {
        case SelectionMode::MultiExtended:
            automation::ClickLine(list, 0);
            if (count > 1 && list.Items.Count() == count) automation::ClickLine(list, count - 1, Keys::Shift);
            break;
        case SelectionMode::MultiSimple:
            for (int i = 0; i < list.Items.Count(); ++i)
                if (!list.GetSelected(i)) automation::ClickLine(list, i);
            break;
        default: throw AutomationError("the list selects one line at most");
    }
}

void ClearSelection(ListBox& list) {
    if (list.SelectedCount() == 0) return;
    const SelectionMode mode = list.SelectionMode();
    if (mode != SelectionMode::MultiExtended && mode != SelectionMode::MultiSimple)
        throw AutomationError("a click cannot take the selection away from this list");
    // A line at a time; a handler may change the list between the clicks.
    for (int before = list.SelectedCount(); before > 0;) {
        automation::ClickLine(list, list.SelectedIndex(), Keys::Control);
        if (list.IsDisposed()) return;
        const int after = list.SelectedCount();
        if (after >= before) break;
        before = after;
    }
}

void TakeFocus(Node node) {
    if (!node) throw AutomationError("nothing to focus");
    if (!IsLine(node)) {
        input::Focus(*node.control);
        return;
    }
    ListBox& list = LineList(node);
    DispatchScope scope;
    input::Focus(list);
    if (!list.IsDisposed() && list.Focused() && node.line < list.Items.Count()) list.SetCaretIndex(node.line);
}

}  // namespace forms::accessibility

namespace forms::detail {

namespace {

using accessibility::Change;
using accessibility::Node;

Backend* ReportingTo(const Form* form) {
    Backend* backend = Application::GetBackend();
    if (!backend || !form || !form->IsHandleCreated() || form->IsDisposed()) return nullptr;
    return backend;
}

Node* ReportedFocus(const Form& form) {
    for (auto& [f, node] : state().reportedFocus)
        if (f == &form) return &node;
    return nullptr;
}

}  // namespace

void Notify(Control& control, Change change, int index, int count) {
    if (!Application::GetBackend()) return;  // headless: the common case, kept cheap
    Form* form = control.FindForm();
    Backend* backend = ReportingTo(form);
    if (!backend) return;
    if (change == Change::Closed) {
        std::erase_if(state().reportedFocus, [&](const auto& entry) { return entry.first == form; });
    } else if (change == Change::LinesInserted || change == Change::LinesRemoved || change == Change::LinesReset) {
        // The focused line keeps its place among the lines that stay.
        if (Node* reported = ReportedFocus(*form); reported && reported->control == &control && reported->line >= 0) {
            if (change == Change::LinesReset) reported->line = -2;
            else if (change == Change::LinesInserted && reported->line >= index) reported->line += count;
            else if (change == Change::LinesRemoved && reported->line >= index + count) reported->line -= count;
            else if (change == Change::LinesRemoved && reported->line >= index) reported->line = -2;
        }
    }
    backend->Notify(*form, accessibility::Notice{change, Node{&control}, index, count});
}

void NoteFocus(Form& form) {
    Backend* backend = ReportingTo(&form);
    if (!backend || !form.IsActive()) return;
    Node now = accessibility::FocusedNode(form);
    if (!now) now = accessibility::Root(form);
    Node* reported = ReportedFocus(form);
    if (reported && *reported == now) return;
    if (reported) *reported = now;
    else state().reportedFocus.emplace_back(&form, now);
    backend->Notify(form, accessibility::Notice{Change::FocusMoved, now, 0, 0});
}

void NoteFocus(Control& control) {
    if (!Application::GetBackend()) return;
    if (Form* form = control.FindForm()) NoteFocus(*form);
}

}  // namespace forms::detail
