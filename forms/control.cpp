#include "forms/control.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "forms/application.h"
#include "forms/detail.h"
#include "forms/form.h"

namespace forms {

// ---- Component ----

void Component::Dispose() {
    if (disposed_ || disposing_) return;
    disposing_ = true;
    struct Finish {
        Component* self;
        ~Finish() { self->disposed_ = true; }
    } finish{this};
    Dispose(true);
}

void Component::Dispose(bool disposing) {
    const bool first = !disposed_;
    disposed_ = true;
    if (disposing && first) Disposed.Raise(*this, EventArgs());
}

Container::~Container() {
    for (Component* c : components_) delete c;
}

void Container::Add(Component* component) {
    if (component) components_.push_back(component);
}

void Container::Dispose(bool disposing) {
    if (disposing)
        for (Component* c : components_) c->Dispose();
    Component::Dispose(disposing);
}

// ---- ControlCollection ----

void ControlCollection::Add(Control* control) {
    if (!control) throw std::invalid_argument("cannot add a null control");
    if (control == owner_) throw std::invalid_argument("a control cannot contain itself");
    for (Control* c = owner_; c; c = c->parent_)
        if (c == control) throw std::invalid_argument("a control cannot contain its own parent");
    if (dynamic_cast<Form*>(control)) throw std::invalid_argument("a form is a top-level window");
    if (control->parent_ == owner_) return;
    if (control->parent_) control->parent_->Controls.Remove(control).release();
    if (control->adopter_) control->adopter_->Unadopt(control);
    control->parent_ = owner_;
    control->addedSerial_ = ++detail::state().addSerial;
    owner_->children_.push_back(control);
    owner_->PerformLayout();
    owner_->Invalidate();
}

std::unique_ptr<Control> ControlCollection::Remove(Control* control) {
    auto& children = owner_->children_;
    auto it = std::find(children.begin(), children.end(), control);
    if (it == children.end()) return nullptr;
    children.erase(it);
    // Focus, accept and cancel buttons must not point into a detached tree.
    if (Form* form = owner_->FindForm()) {
        form->Forget(control);
        for (Control* c = form->ActiveControl(); c; c = c->parent_)
            if (c == control) form->SetActiveControl(nullptr);
    }
    control->parent_ = nullptr;
    owner_->PerformLayout();
    owner_->Invalidate();
    return std::unique_ptr<Control>(control);
}

int ControlCollection::Count() const { return static_cast<int>(owner_->children_.size()); }

Control* ControlCollection::operator[](int index) const {
    return owner_->children_.at(static_cast<std::size_t>(index));
}

int ControlCollection::IndexOf(const Control* control) const {
    const auto& children = owner_->children_;
    for (std::size_t i = 0; i < children.size(); ++i)
        if (children[i] == control) return static_cast<int>(i);
    return -1;
}

// ---- Control ----

Control::Control() {
    auto& constructing = detail::state().constructing;
    if (!constructing.empty()) constructing.back()->Adopt(this);
}

Control::~Control() {
    if (adopter_) adopter_->Unadopt(this);
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    detail::ForgetControl(this);
    std::vector<Control*> children;
    children.swap(children_);
    for (Control* child : children) {
        child->parent_ = nullptr;
        delete child;
    }
}

void Control::Dispose(bool disposing) {
    if (disposing) {
        // Children are disposed with their parent; their memory goes with it too.
        for (Control* child : std::vector<Control*>(children_)) child->Dispose();
    }
    Component::Dispose(disposing);
}

void Control::SetText(const String& text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
}

void Control::SetLocation(Point location) { SetBoundsCore({location, bounds_.Size()}); }
void Control::SetSize(forms::Size size) { SetBoundsCore({bounds_.Location(), size}); }
void Control::SetWidth(int width) { SetBoundsCore({bounds_.X, bounds_.Y, width, bounds_.Height}); }
void Control::SetHeight(int height) { SetBoundsCore({bounds_.X, bounds_.Y, bounds_.Width, height}); }

Rectangle Control::Bounded(Rectangle bounds) {
    const auto position = [](int v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); };
    const auto size = [](int v) { return std::clamp(v, 0, kMaxCoordinate); };
    return {position(bounds.X), position(bounds.Y), size(bounds.Width), size(bounds.Height)};
}

forms::Padding Control::Bounded(forms::Padding padding) {
    const auto side = [](int v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); };
    return {side(padding.Left), side(padding.Top), side(padding.Right), side(padding.Bottom)};
}

forms::Size Control::ClientSize() const {
    const forms::Padding in = ClientInsets();
    return {std::max(0, bounds_.Width - in.Horizontal()), std::max(0, bounds_.Height - in.Vertical())};
}

void Control::SetClientSize(forms::Size size) {
    const forms::Padding in = ClientInsets();
    SetSize({ClampToInt(static_cast<long long>(size.Width) + in.Horizontal()),
             ClampToInt(static_cast<long long>(size.Height) + in.Vertical())});
}

Rectangle Control::ClientRectangle() const { return {{0, 0}, ClientSize()}; }

void Control::SetMargin(forms::Padding margin) {
    margin = Bounded(margin);
    if (margin_ == margin) return;
    margin_ = margin;
    RequestParentLayout();
}

void Control::SetPadding(forms::Padding padding) {
    padding = Bounded(padding);
    if (padding_ == padding) return;
    padding_ = padding;
    PerformLayout();
}

void Control::SetDock(DockStyle dock) {
    if (dock_ == dock) return;
    dock_ = dock;
    RequestParentLayout();
}

void Control::SetAutoSize(bool autoSize) {
    if (autoSize_ == autoSize) return;
    autoSize_ = autoSize;
    RequestParentLayout();
}

// A control that can no longer take the focus stops being its form's active control.
void Control::GiveUpFocus() {
    if (Form* form = FindForm(); form && form->ActiveControl() == this) form->SetActiveControl(nullptr);
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled) GiveUpFocus();
    Invalidate();
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (!visible) GiveUpFocus();
    RequestParentLayout();
    Invalidate();
    VisibleChanged.Raise(*this, EventArgs());
}

Form* Control::FindForm() {
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<Form*>(c);
}

const Form* Control::FindForm() const { return const_cast<Control*>(this)->FindForm(); }

bool Control::CanSelect() const {
    if (!IsSelectable() || IsDisposed()) return false;
    const Control* c = this;
    for (; c; c = c->parent_) {
        if (!c->Visible() || !c->enabled_) return false;
        if (!c->parent_) break;
    }
    return dynamic_cast<const Form*>(c) != nullptr;
}

bool Control::Focus() {
    if (!CanSelect()) return false;
    Form* form = FindForm();
    form->SetActiveControl(this);
    if (!form->IsActive()) form->Activate();
    return true;
}

bool Control::Focused() const {
    const Form* form = FindForm();
    return form && form->ActiveControl() == this && form->IsActive();
}

void Control::ResumeLayout(bool performLayout) {
    if (layoutSuspended_ > 0) --layoutSuspended_;
    if (layoutSuspended_ == 0) {
        OnResumeLayout();
        if (performLayout) PerformLayout();
    }
}

void Control::PerformLayout() {
    if (layoutSuspended_ > 0 || inLayout_ || IsDisposed()) return;
    inLayout_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{inLayout_};
    OnLayout();
}

void Control::RequestParentLayout() {
    if (parent_) parent_->PerformLayout();
}

void Control::Invalidate() {
    if (Form* form = FindForm()) form->MarkNeedsPaint();
}

void Control::SetBoundsCore(Rectangle bounds) {
    bounds = Bounded(bounds);
    const bool moved = bounds.Location() != bounds_.Location();
    const bool resized = bounds.Size() != bounds_.Size();
    if (!moved && !resized) return;
    bounds_ = bounds;
    Invalidate();
    if (moved) Move.Raise(*this, EventArgs());
    if (resized) {
        PerformLayout();
        Resize.Raise(*this, EventArgs());
    }
}

void Control::OnLayout() {
    // Docking: the last added child docks first, each taking its edge of what is left.
    const forms::Size client = ClientSize();
    int left = padding_.Left, top = padding_.Top;
    int right = client.Width - padding_.Right, bottom = client.Height - padding_.Bottom;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control* c = *it;
        if (!c->visible_ || c->dock_ == DockStyle::None) continue;
        const int w = std::max(0, right - left), h = std::max(0, bottom - top);
        switch (c->dock_) {
            case DockStyle::Top: {
                const int ch = std::min(c->Height(), h);
                c->SetBoundsCore({left, top, w, ch});
                top += ch;
                break;
            }
            case DockStyle::Bottom: {
                const int ch = std::min(c->Height(), h);
                c->SetBoundsCore({left, bottom - ch, w, ch});
                bottom -= ch;
                break;
            }
            case DockStyle::Left: {
                const int cw = std::min(c->Width(), w);
                c->SetBoundsCore({left, top, cw, h});
                left += cw;
                break;
            }
            case DockStyle::Right: {
                const int cw = std::min(c->Width(), w);
                c->SetBoundsCore({right - cw, top, cw, h});
                right -= cw;
                break;
            }
            case DockStyle::Fill: c->SetBoundsCore({left, top, w, h}); break;
            case DockStyle::None: break;
        }
    }
}

bool Control::IsInputKey(Keys keyData) const {
    (void)keyData;
    return false;
}

void Control::ProcessKeyDown(KeyEventArgs& e) {
    KeyDown.Raise(*this, e);
    if (!e.Handled && !IsDisposed()) OnKeyDownDefault(e);
}

void Control::OnMouseClick(Point, Keys) {
    if (IsSelectable()) Focus();
    OnClick();
}

void Control::OnClick() { Click.Raise(*this, EventArgs()); }

DisplayItem Control::MakeItem(DrawKind kind, Rectangle bounds, Rectangle clip) const {
    DisplayItem item;
    item.kind = kind;
    item.bounds = bounds;
    item.clip = clip;
    item.source = this;
    return item;
}

void Control::OnPaint(DisplayList&, Point, Rectangle) const {}

void Control::PaintTree(DisplayList& list, Point origin, Rectangle clip) const {
    const Rectangle own = Rectangle::Intersect(clip, {origin, Size()});
    if (own.IsEmpty()) return;
    OnPaint(list, origin, own);
    const forms::Padding in = ClientInsets();
    const Point client{origin.X + in.Left, origin.Y + in.Top};
    const Rectangle inner = Rectangle::Intersect(own, {client, ClientSize()});
    // Back to front: index 0 is in front, so it paints last.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        const Control* c = *it;
        if (!c->visible_) continue;
        c->PaintTree(list, {client.X + c->bounds_.X, client.Y + c->bounds_.Y}, inner);
    }
}

int Control::Scaled(int value, float factor) {
    // The product in single precision, as the design numbers were computed.
    const double v = std::round(static_cast<double>(static_cast<float>(value) * factor));
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -static_cast<double>(kMaxCoordinate), static_cast<double>(kMaxCoordinate)));
}

void Control::Scale(SizeF factor) {
    auto sx = [&](int v) { return Scaled(v, factor.Width); };
    auto sy = [&](int v) { return Scaled(v, factor.Height); };
    margin_ = {sx(margin_.Left), sy(margin_.Top), sx(margin_.Right), sy(margin_.Bottom)};
    padding_ = {sx(padding_.Left), sy(padding_.Top), sx(padding_.Right), sy(padding_.Bottom)};
    bounds_ = Bounded(Rectangle{sx(bounds_.X), sy(bounds_.Y), sx(bounds_.Width), sy(bounds_.Height)});
    ScaleChildren(factor);
    // The bounds changed behind SetBoundsCore's back, so lay out here.
    PerformLayout();
}

void Control::ScaleChildren(SizeF factor) {
    for (Control* child : children_) child->Scale(factor);
}

}  // namespace forms
