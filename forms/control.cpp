#include "forms/control.h"

#include <algorithm>
#include <cmath>

#include "forms/application.h"
#include "forms/detail.h"
#include "forms/notices.h"
#include "forms/form.h"

namespace forms {

Control::Control() {
    auto& constructing = detail::state().constructing;
    if (!constructing.empty()) constructing.back()->Adopt(this);
}

Control::~Control() {
    if (adopter_) adopter_->Unadopt(this);
    if (parent_) {
        parent_->Invalidate();  // the parent's picture loses this control
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

void Control::Invalidate() {
    paintRequested_ = true;
    detail::RequestPump();
}

void Control::SetText(const String& text) {
    if (text_ == text) return;
    text_ = text;
    Invalidate();
    detail::Notify(*this, accessibility::Change::NameChanged);
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

bool Control::PaintRequestedInTree() const {
    if (paintRequested_) return true;
    for (const Control* child : children_)
        if (child->PaintRequestedInTree()) return true;
    return false;
}

void Control::ClearPaintRequests() {
    paintRequested_ = false;
    for (Control* child : children_) child->ClearPaintRequests();
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
        if (c->dock_ == DockStyle::Fill) {
            c->SetBoundsCore({left, top, w, h});
            continue;
        }
        // A strip along one edge: as long as the space, as thick as the child
        // (at most the space), taken off that edge.
        const bool across = c->dock_ == DockStyle::Top || c->dock_ == DockStyle::Bottom;
        const bool far = c->dock_ == DockStyle::Bottom || c->dock_ == DockStyle::Right;
        const int thickness = std::min(across ? c->Height() : c->Width(), across ? h : w);
        int& edge = across ? (far ? bottom : top) : (far ? right : left);
        const int start = far ? edge - thickness : edge;
        edge += far ? -thickness : thickness;
        c->SetBoundsCore(across ? Rectangle{left, start, w, thickness} : Rectangle{start, top, thickness, h});
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

DisplayItem& Control::AddItem(DisplayList& list, DrawKind kind, Rectangle bounds, Rectangle clip) const {
    DisplayItem& item = list.emplace_back();
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
