#include "forms/form.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "forms/application.h"
#include "forms/backend.h"
#include "forms/button.h"
#include "forms/detail.h"
#include "forms/notices.h"

namespace forms {

namespace {

// Our fixed frame metrics, in pixels: the border on each side, and the caption
// bar on top of the upper border.
//   None                                0, caption 0
//   FixedSingle, Fixed3D, FixedDialog   3, caption 19
//   Sizable                             4, caption 19
//   FixedToolWindow                     3, caption 16
//   SizableToolWindow                   4, caption 16 (client 142 x 284 is outer 150 x 308)
struct Frame {
    int border;
    int caption;
};

Frame FrameOf(FormBorderStyle style) {
    switch (style) {
        case FormBorderStyle::None: return {0, 0};
        case FormBorderStyle::FixedSingle:
        case FormBorderStyle::Fixed3D:
        case FormBorderStyle::FixedDialog: return {3, 19};
        case FormBorderStyle::Sizable: return {4, 19};
        case FormBorderStyle::FixedToolWindow: return {3, 16};
        case FormBorderStyle::SizableToolWindow: return {4, 16};
    }
    return {0, 0};
}

}  // namespace

Form::Form() {
    // First, so that the form is measured and framed by the backend it will show on.
    if (!Application::GetBackend()) detail::InstallOwnBackend();
    // The Control base adopted this form into a form under construction; undo that.
    for (Form* f : detail::state().constructing) f->Unadopt(this);
    SetTabStop(false);
    SetMargin(forms::Padding(0));
    SetClientSize({300, 300});
    detail::RegisterForm(this);
}

Form::~Form() {
    detail::UnregisterForm(this);
    ReleaseWindow();
    std::vector<Control*> adopted;
    adopted.swap(adopted_);
    for (Control* c : adopted) {
        c->adopter_ = nullptr;
        delete c;
    }
}

void Form::Adopt(Control* control) {
    control->adopter_ = this;
    adopted_.push_back(control);
}

void Form::Unadopt(Control* control) {
    if (control->adopter_ != this) return;
    control->adopter_ = nullptr;
    detail::Erase(adopted_, control);
}

void Form::Forget(const Control* control) {
    // The buttons inside it too: a container taken out of the form takes its
    // buttons along. (A focus inside it is given up where it is taken out.)
    const auto inside = [control](const Control* c) {
        for (; c; c = c->Parent())
            if (c == control) return true;
        return false;
    };
    if (inside(acceptButton_)) acceptButton_ = nullptr;
    if (inside(cancelButton_)) cancelButton_ = nullptr;
    if (activeControl_ == control) activeControl_ = nullptr;
}

forms::Padding Form::ClientInsets() const {
    // A real window system's own frame, which the outer size must match.
    if (Backend* b = Application::GetBackend())
        if (const std::optional<forms::Padding> frame = b->WindowFrame(*this)) return *frame;
    const Frame f = FrameOf(borderStyle_);
    return {f.border, f.border + f.caption, f.border, f.border};
}

void Form::SetMinimumSize(forms::Size size) {
    minimumSize_ = size;
    if (Width() < size.Width || Height() < size.Height) SetSize(Size());
}

void Form::SetFormBorderStyle(forms::FormBorderStyle style) {
    if (borderStyle_ == style) return;
    // The client area keeps its size; the outer size follows the new frame.
    const forms::Size client = ClientSize();
    borderStyle_ = style;
    SetClientSize(client);
}

forms::Size Form::MaximumTrackSize() const {
    const Rectangle screen = Application::VirtualScreen();
    const forms::Padding frame = ClientInsets();
    return {std::min(ClampToInt(static_cast<long long>(screen.Width) + frame.Horizontal()), kMaxCoordinate),
            std::min(ClampToInt(static_cast<long long>(screen.Height) + frame.Vertical()), kMaxCoordinate)};
}

void Form::SetBoundsCore(Rectangle bounds) {
    // The minimum first, then the desktop's maximum, which wins over a larger minimum.
    const forms::Size most = MaximumTrackSize();
    bounds.Width = std::min(std::max(bounds.Width, minimumSize_.Width), most.Width);
    bounds.Height = std::min(std::max(bounds.Height, minimumSize_.Height), most.Height);
    const Rectangle before = Bounds();
    Control::SetBoundsCore(bounds);
    if (created_ && !IsDisposed() && Bounds() != before)
        if (Backend* b = Application::GetBackend()) b->SetWindowBounds(*this, Bounds());
}

void Form::SetText(const String& text) {
    Control::SetText(text);
    if (created_)
        if (Backend* b = Application::GetBackend()) b->SetWindowText(*this, text);
}

void Form::SetAcceptButton(Button* button) { acceptButton_ = button; Invalidate(); }

void Form::SetCancelButton(Button* button) {
    cancelButton_ = button;
    if (button && button->DialogResult() == forms::DialogResult::None)
        button->SetDialogResult(forms::DialogResult::Cancel);
}

void Form::SetVisible(bool visible) {
    if (IsDisposed()) {
        if (visible) throw std::logic_error("cannot show a disposed form");
        return;
    }
    if (visible && !created_) {
        Show();
        return;
    }
    if (visible_ == visible) return;
    visible_ = visible;
    if (Backend* b = Application::GetBackend()) b->SetWindowVisible(*this, visible);
    if (visible) detail::Notify(*this, accessibility::Change::Shown);
    if (!visible && detail::state().active == this) {
        detail::state().active = nullptr;
        Deactivate.Raise(*this, EventArgs());
    }
    MarkNeedsPaint();
    VisibleChanged.Raise(*this, EventArgs());
}

void Form::Show() {
    if (IsDisposed()) throw std::logic_error("cannot show a disposed form");
    detail::EndConstruction(this);
    if (!created_) {
        created_ = true;
        if (startPosition_ == FormStartPosition::CenterScreen) {
            const Rectangle area = Application::AllScreens().front().WorkingArea;
            SetLocation({ClampToInt(area.X + (static_cast<long long>(area.Width) - Width()) / 2),
                         ClampToInt(area.Y + (static_cast<long long>(area.Height) - Height()) / 2)});
        }
        if (Backend* b = Application::GetBackend()) {
            b->CreateWindow(*this);
            b->SetWindowBounds(*this, Bounds());
            b->SetWindowText(*this, Text());
        }
        PerformLayout();
        Load.Raise(*this, EventArgs());
        if (IsDisposed()) return;
        visible_ = true;
        if (Backend* b = Application::GetBackend()) b->SetWindowVisible(*this, true);
        detail::Notify(*this, accessibility::Change::Shown);
        MarkNeedsPaint();
        VisibleChanged.Raise(*this, EventArgs());
        if (IsDisposed()) return;
        if (!activeControl_) SelectNextControl(nullptr, true, false);
        Activate();
        // Shown comes from the pump, after everything Show set off.
        Form* self = this;
        Application::Post([self] {
            for (Form* f : Application::OpenForms())
                if (f == self) self->Shown.Raise(*self, EventArgs());
        });
        return;
    }
    SetVisible(true);
}

bool Form::IsActive() const { return detail::state().active == this; }

void Form::Activate() {
    if (!visible_ || IsDisposed()) return;
    Form* previous = detail::state().active;
    if (previous == this) return;
    detail::state().active = this;
    if (Backend* b = Application::GetBackend()) b->ActivateWindow(*this);
    MarkNeedsPaint();
    if (previous) {
        previous->MarkNeedsPaint();
        previous->Deactivate.Raise(*previous, EventArgs());
    }
    detail::NoteFocus(*this);
    Activated.Raise(*this, EventArgs());
}

bool Form::Focus() {
    if (!visible_ || IsDisposed()) return false;
    Activate();
    return true;
}

void Form::SetActiveControl(Control* control) {
    if (control && control->FindForm() != this) throw std::invalid_argument("the control is not on this form");
    if (activeControl_ == control) return;
    if (activeControl_) activeControl_->Invalidate();
    activeControl_ = control;
    MarkNeedsPaint();
    detail::NoteFocus(*this);
}

std::vector<Control*> detail::ChildrenInTabOrder(const Control& parent) {
    std::vector<Control*> siblings;
    for (int i = 0; i < parent.Controls.Count(); ++i) siblings.push_back(parent.Controls[i]);
    std::stable_sort(siblings.begin(), siblings.end(), [&](const Control* a, const Control* b) {
        if (a->TabIndex() != b->TabIndex()) return a->TabIndex() < b->TabIndex();
        // Equal TabIndex: the later added comes first.
        return parent.Controls.IndexOf(a) > parent.Controls.IndexOf(b);
    });
    return siblings;
}

void Form::CollectTabOrder(const Control& parent, std::vector<Control*>& out) {
    for (Control* c : detail::ChildrenInTabOrder(parent)) {
        if (!c->Visible() || !c->Enabled()) continue;
        if (c->IsSelectable() && c->TabStop()) out.push_back(c);
        CollectTabOrder(*c, out);
    }
}

std::vector<Control*> Form::TabOrder() const {
    std::vector<Control*> order;
    CollectTabOrder(*this, order);
    return order;
}

bool Form::SelectNextControl(Control* from, bool forward, bool wrap) {
    const std::vector<Control*> order = TabOrder();
    if (order.empty()) return false;
    const int n = static_cast<int>(order.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (order[static_cast<std::size_t>(i)] == from) at = i;
    int next;
    if (at < 0) {
        next = forward ? 0 : n - 1;
    } else {
        next = at + (forward ? 1 : -1);
        if (next < 0 || next >= n) {
            if (!wrap) return false;
            next = (next + n) % n;
        }
    }
    SetActiveControl(order[static_cast<std::size_t>(next)]);
    return true;
}

bool Form::ProcessDialogKey(Keys keyData) {
    const Keys code = keyData & Keys::KeyCode;
    if (HasFlag(keyData, Keys::Control) || HasFlag(keyData, Keys::Alt)) return false;
    switch (code) {
        case Keys::Tab:
            return SelectNextControl(activeControl_, !HasFlag(keyData, Keys::Shift), true);
        case Keys::Enter: {
            // The accept button, even when another button has the focus: Enter
            // must never press a focused Delete on a form whose accept is Close.
            Button* target = acceptButton_;
            if (!target) target = dynamic_cast<Button*>(activeControl_);
            if (!target) return false;
            target->PerformClick();
            return true;
        }
        case Keys::Escape:
            if (!cancelButton_) return false;
            cancelButton_->PerformClick();
            return true;
        case Keys::Left:
        case Keys::Up:
        case Keys::Right:
        case Keys::Down: {
            // Arrows step between buttons; other controls take arrows as input keys.
            if (!dynamic_cast<Button*>(activeControl_)) return false;
            const bool forward = code == Keys::Right || code == Keys::Down;
            return SelectNextControl(activeControl_, forward, true);
        }
        default: return false;
    }
}

void Form::Close() { CloseWith(CloseReason::UserClosing); }

void Form::CloseWith(CloseReason reason) {
    if (IsDisposed() || closing_) return;
    if (!created_) {
        Dispose();
        return;
    }
    closing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{closing_};
    FormClosingEventArgs closingArgs(reason);
    FormClosing.Raise(*this, closingArgs);
    if (closingArgs.Cancel || IsDisposed()) return;
    const FormClosedEventArgs closedArgs(reason);
    FormClosed.Raise(*this, closedArgs);
    Dispose();
}

void Form::ReleaseWindow() {
    if (!created_) return;
    created_ = false;
    if (Backend* b = Application::GetBackend()) b->DestroyWindow(*this);
}

void Form::Dispose(bool disposing) {
    if (disposing) {
        detail::Notify(*this, accessibility::Change::Closed);
        detail::EndConstruction(this);
        if (visible_) SetVisible(false);
        if (detail::state().active == this) detail::state().active = nullptr;
        ReleaseWindow();
        for (Control* c : std::vector<Control*>(adopted_)) c->Dispose();
        detail::ScheduleFree(this);
    }
    Control::Dispose(disposing);
}

void Form::OnResumeLayout() { PerformAutoScale(); }

void Form::PerformAutoScale() {
    if (autoScaleMode_ != forms::AutoScaleMode::Font) return;
    if (autoScaleDimensions_.Width <= 0 || autoScaleDimensions_.Height <= 0) return;
    const forms::Size font = Application::FontMetrics();
    if (font.Width <= 0 || font.Height <= 0) return;  // a font of no size scales nothing
    const SizeF current(static_cast<float>(font.Width), static_cast<float>(font.Height));
    const SizeF factor(current.Width / autoScaleDimensions_.Width, current.Height / autoScaleDimensions_.Height);
    autoScaleDimensions_ = current;
    if (factor.Width == 1.0F && factor.Height == 1.0F) return;
    // The frame stays; the client area, children, margins and paddings scale; the location does not.
    const forms::Size client = ClientSize();
    SuspendLayout();
    ScaleChildren(factor);
    SetClientSize({Scaled(client.Width, factor.Width), Scaled(client.Height, factor.Height)});
    ResumeLayout(true);
}

void Form::PaintForm(DisplayList& list) const {
    list.clear();
    // Only the client area: the backend draws frame and caption.
    const Rectangle client{{0, 0}, ClientSize()};
    AddItem(list, DrawKind::Fill, client, client);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        const Control* c = *it;
        if (c->Visible()) c->PaintTree(list, c->Location(), client);
    }
}

}  // namespace forms
