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
    DisplayItem face = MakeItem(DrawKind::Fill, box, clip);
    face.color = ColorRole::Control;
    list.push_back(std::move(face));
    DisplayItem frame = MakeItem(DrawKind::Frame, box, clip);
    frame.frame = IsDefault() ? FrameStyle::RaisedDefault : FrameStyle::Raised;
    frame.role = ItemRole::ButtonFrame;
    list.push_back(std::move(frame));
    DisplayItem text = MakeItem(DrawKind::Text, box, clip);
    text.text = Text();
    text.align = TextAlign::Center;
    text.color = Enabled() ? ColorRole::WindowText : ColorRole::GrayText;
    list.push_back(std::move(text));
    if (Focused()) {
        // The dotted mark 3 pixels inside the frame.
        DisplayItem focus = MakeItem(DrawKind::Focus, {box.X + 3, box.Y + 3, box.Width - 6, box.Height - 6}, clip);
        focus.role = ItemRole::FocusedButton;
        focus.target = box;
        list.push_back(std::move(focus));
    }
}

}  // namespace forms
