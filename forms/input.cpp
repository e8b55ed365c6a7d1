// Input from the window system, routed as the desktop routes it.
#include <vector>

#include "forms/application.h"
#include "forms/backend.h"
#include "forms/form.h"

namespace forms {

// The private handling of controls and forms that input reaches, and nothing else.
struct detail::InputAccess {
    static void MouseClick(Control& target, Point point, Keys modifiers) { target.OnMouseClick(point, modifiers); }
    static bool IsInputKey(const Control& target, Keys keyData) { return target.IsInputKey(keyData); }
    static bool DialogKey(Form& form, Keys keyData) { return form.ProcessDialogKey(keyData); }
    static void KeyDown(Control& target, KeyEventArgs& e) { target.ProcessKeyDown(e); }
    static void CloseBox(Form& form) { form.CloseWith(CloseReason::UserClosing); }
};

namespace input {

namespace {

using Access = detail::InputAccess;

bool Live(const Form& form) { return !form.IsDisposed() && form.Visible(); }

// The deepest visible, enabled control at `point` (in `parent`'s client area).
Control* HitTest(Control& parent, Point point, Point& local) {
    for (int i = 0; i < parent.Controls.Count(); ++i) {
        Control* c = parent.Controls[i];  // index 0 is in front
        if (!c->Visible() || !c->Bounds().Contains(point)) continue;
        if (!c->Enabled()) return nullptr;
        const Padding in = c->ClientInsets();
        const Point inner{point.X - c->Left() - in.Left, point.Y - c->Top() - in.Top};
        Point deeper;
        if (Control* hit = HitTest(*c, inner, deeper)) {
            local = deeper;
            return hit;
        }
        local = inner;
        return c;
    }
    return nullptr;
}

}  // namespace

void Click(Form& form, Point point, Keys modifiers) {
    DispatchScope scope;
    if (!Live(form)) return;
    form.Activate();
    Point local = point;
    Control* target = HitTest(form, point, local);
    if (!target) target = &form;
    Access::MouseClick(*target, local, modifiers);
}

void KeyDown(Form& form, Keys keyData) {
    DispatchScope scope;
    if (!Live(form)) return;
    Control* target = form.ActiveControl();
    if (!target) target = &form;
    KeyEventArgs e(keyData);
    // 1. With KeyPreview the form's handlers see every key first, Enter and Esc
    //    included: a form that closes on Enter must not have a focused button
    //    clicked before it.
    if (target != &form && form.KeyPreview()) {
        form.KeyDown.Raise(form, e);
        if (e.Handled || form.IsDisposed() || target->IsDisposed()) return;
        // The form's handler may have moved the focus; the key stays with its target.
    }
    // 2. Dialog keys (Enter, Esc, Tab, arrows on a button) go to the form unless
    //    the control takes them as input; a key the form uses goes no further.
    if (!Access::IsInputKey(*target, keyData) && Access::DialogKey(form, keyData)) return;
    if (form.IsDisposed() || target->IsDisposed()) return;
    // 3. The focused control's own handling.
    Access::KeyDown(*target, e);
}

void MoveWindow(Form& form, Point location) {
    DispatchScope scope;
    if (form.IsDisposed()) return;
    form.SetLocation(location);
}

void ResizeWindow(Form& form, Size outer) {
    DispatchScope scope;
    if (form.IsDisposed()) return;
    form.SetSize(outer);
}

void CloseWindow(Form& form) {
    DispatchScope scope;
    Access::CloseBox(form);
}

void ActivateWindow(Form& form) {
    DispatchScope scope;
    form.Activate();
}

void Focus(Control& control) {
    DispatchScope scope;
    Form* form = control.FindForm();
    if (!form || !Live(*form)) return;
    form->Activate();
    if (!control.IsDisposed()) control.Focus();
}

}  // namespace input
}  // namespace forms
