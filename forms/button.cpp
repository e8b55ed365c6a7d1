#include "forms/button.h"

#include "forms/application.h"
#include "forms/form.h"

namespace forms {

Button::Button() { SetSize({75, 23}); }

void Button::PerformClick() {
    if (CanSelect()) OnClick();
}

void Button::OnClick() {
    if (dialogResult_ != forms::DialogResult::None)
        if (Form* form = FindForm()) form->SetDialogResult(dialogResult_);
    Control::OnClick();
}

void Button::OnMouseClick(Point, Keys) {
    Focus();
    OnClick();
}

void Button::OnKeyDownDefault(KeyEventArgs& e) {
    if (e.KeyCode == Keys::Space) {
        e.Handled = true;
        OnClick();
    }
}

bool Button::IsDefault() const {
    const Form* form = FindForm();
    if (!form) return false;
    if (const Button* accept = form->AcceptButton()) return accept == this;
    return form->ActiveControl() == this;
}

forms::Size Button::GetPreferredSize() const {
    const forms::Size text = Application::MeasureText(Text());
    return {ClampToInt(text.Width + 16LL), ClampToInt(Application::FontMetrics().Height + 10LL)};
}

void Button::OnPaint(DisplayList& list, Point origin, Rectangle clip) const {
    const Rectangle box{origin, Size()};
    AddItem(list, DrawKind::Fill, box, clip).color = ColorRole::Control;
    DisplayItem& frame = AddItem(list, DrawKind::Frame, box, clip);
    frame.frame = IsDefault() ? FrameStyle::RaisedDefault : FrameStyle::Raised;
    frame.role = ItemRole::ButtonFrame;
    DisplayItem& text = AddItem(list, DrawKind::Text, box, clip);
    text.text = Text();
    text.align = TextAlign::Center;
    text.color = Enabled() ? ColorRole::WindowText : ColorRole::GrayText;
    if (Focused()) {
        constexpr int inset = 3;
        DisplayItem& focus =
            AddItem(list, DrawKind::Focus, {box.X + inset, box.Y + inset, box.Width - 2 * inset, box.Height - 2 * inset}, clip);
        focus.role = ItemRole::FocusedButton;
        focus.inset = inset;
    }
}

}  // namespace forms
