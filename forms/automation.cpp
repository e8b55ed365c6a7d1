#include "forms/automation.h"

#include <algorithm>

#include "forms/application.h"
#include "forms/backend.h"
#include "forms/form.h"
#include "forms/list_box.h"
#include "forms/text_backend.h"

namespace forms::automation {

namespace {

Control* FindIn(Control& parent, std::u16string_view name) {
    for (int i = 0; i < parent.Controls.Count(); ++i) {
        Control* c = parent.Controls[i];
        if (c->Name() == name) return c;
        if (Control* deeper = FindIn(*c, name)) return deeper;
    }
    return nullptr;
}

// Where the control's client area starts in its form's client area.
Point ClientOrigin(const Control& control) {
    if (!control.Parent()) return {0, 0};
    const Point parent = ClientOrigin(*control.Parent());
    const Padding in = control.ClientInsets();
    return {parent.X + control.Left() + in.Left, parent.Y + control.Top() + in.Top};
}

Form& FormOf(Control& control) {
    Form* form = control.FindForm();
    if (!form) throw AutomationError("the control is not on a form");
    return *form;
}

bool ShownInTree(const Control& control) {
    for (const Control* c = &control; c; c = c->Parent())
        if (!c->Visible()) return false;
    return true;
}

}  // namespace

std::vector<Form*> OpenForms() { return Application::OpenForms(); }

Form* FindForm(std::u16string_view name) {
    for (Form* form : Application::OpenForms())
        if (form->Name() == name) return form;
    return nullptr;
}

Control* Find(Form& form, std::u16string_view name) {
    if (form.Name() == name) return &form;
    return FindIn(form, name);
}

ControlInfo Inspect(const Control& control) {
    ControlInfo info;
    info.name = control.Name();
    info.text = control.Text();
    info.bounds = control.Bounds();
    if (control.Parent()) {
        const Point origin = ClientOrigin(*control.Parent());
        info.clientBounds = control.Bounds().Offset(origin.X, origin.Y);
    } else {
        info.clientBounds = control.ClientRectangle();
    }
    info.visible = ShownInTree(control);
    info.enabled = control.Enabled();
    info.focused = control.Focused();
    return info;
}

ListInfo InspectList(const ListBox& list) {
    ListInfo info;
    for (int i = 0; i < list.Items.Count(); ++i) info.lines.push_back(list.Items[i]);
    info.selected = list.SelectedIndices();
    info.caret = list.CaretIndex();
    info.anchor = list.AnchorIndex();
    info.top = list.TopIndex();
    info.pageSize = list.PageSize();
    return info;
}

void Click(Control& control, Keys modifiers) {
    Form& form = FormOf(control);
    if (&control == &form) throw AutomationError("click a control, not the form");
    if (!ShownInTree(control)) throw AutomationError("the control is not visible");
    const Point origin = ClientOrigin(*control.Parent());
    input::Click(form, {origin.X + control.Left() + control.Width() / 2, origin.Y + control.Top() + control.Height() / 2},
                 modifiers);
}

void ClickLine(ListBox& list, int index, Keys modifiers) {
    Form& form = FormOf(list);
    if (!ShownInTree(list)) throw AutomationError("the list is not visible");
    if (index < 0 || index >= list.Items.Count()) throw AutomationError("no such line");
    list.ScrollIntoView(index);
    const Rectangle line = list.GetItemRectangle(index);
    const Point origin = ClientOrigin(list);
    // Middle of the line, but inside the client area when the line is cut at the bottom.
    const int y = std::min(line.Y + line.Height / 2, list.ClientSize().Height - 1);
    input::Click(form, {origin.X + line.X + line.Width / 2, origin.Y + y}, modifiers);
}

void PressKey(Form& form, Keys keyData) { input::KeyDown(form, keyData); }
void MoveTo(Form& form, Point location) { input::MoveWindow(form, location); }
void ResizeTo(Form& form, Size outer) { input::ResizeWindow(form, outer); }
void Close(Form& form) { input::CloseWindow(form); }

DisplayList Paint(const Form& form) {
    DisplayList list;
    form.PaintForm(list);
    return list;
}

std::string RenderText(const Form& form) { return TextBackend::Draw(form.Text(), form.ClientSize(), Paint(form)); }

}  // namespace forms::automation
