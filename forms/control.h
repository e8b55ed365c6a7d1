// Components and controls: the tree of visible parts of a window.
//
// Ownership. A control created with `new` is owned by nobody until it is added
// to a parent with `Controls.Add`, which takes ownership; a parent deletes its
// children when it is deleted. A control created while a form is being built
// (between the start of the form's construction and its first Show, disposal or
// pump step) is adopted by that form until it gets a parent, so a form whose
// constructor throws frees every control it made. `Controls.Remove` hands
// ownership back to the caller. Forms themselves are owned by the toolkit
// (see Form). Single-threaded: everything runs on the UI thread.
#pragma once

#include <vector>

#include "forms/component.h"
#include "forms/control_collection.h"
#include "forms/display_list.h"
#include "forms/drawing.h"
#include "forms/events.h"
#include "forms/text.h"

namespace forms {

class Form;

namespace detail {
struct InputAccess;
}  // namespace detail

class Control : public Component {
public:
    Control();
    ~Control() override;
    using Component::Dispose;

    const String& Name() const { return name_; }
    void SetName(const String& name) { name_ = name; }
    const String& Text() const { return text_; }
    virtual void SetText(const String& text);

    // Position and size in the parent's client area (for a form: outer, on the screen).
    Point Location() const { return bounds_.Location(); }
    void SetLocation(Point location);
    forms::Size Size() const { return bounds_.Size(); }
    void SetSize(forms::Size size);
    int Left() const { return bounds_.X; }
    int Top() const { return bounds_.Y; }
    int Width() const { return bounds_.Width; }
    void SetWidth(int width);
    int Height() const { return bounds_.Height; }
    void SetHeight(int height);
    Rectangle Bounds() const { return bounds_; }
    void SetBounds(Rectangle bounds) { SetBoundsCore(bounds); }
    // The inner area, without border (and, for a form, without frame and caption).
    forms::Size ClientSize() const;
    void SetClientSize(forms::Size size);
    Rectangle ClientRectangle() const;

    forms::Padding Margin() const { return margin_; }
    void SetMargin(forms::Padding margin);
    forms::Padding Padding() const { return padding_; }
    void SetPadding(forms::Padding padding);
    DockStyle Dock() const { return dock_; }
    void SetDock(DockStyle dock);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // Tab order takes siblings by ascending TabIndex; on a tie the one later in
    // Controls (the later added) comes first.
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int index) { tabIndex_ = index; }
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The control's own flag; a form's is whether it is shown.
    virtual bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    virtual void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    Control* Parent() const { return parent_; }
    // The form this control is in (itself for a form); null when unparented.
    Form* FindForm();
    const Form* FindForm() const;

    // Can take the focus: selectable, and enabled and visible up to and including the form.
    bool CanSelect() const;
    bool CanFocus() const { return CanSelect(); }
    // Gives the focus to this control if it can take it.
    virtual bool Focus();
    // The control has the focus: it is its form's active control and the form is active.
    bool Focused() const;
    // The size the control would like, used by auto-size table cells.
    virtual forms::Size GetPreferredSize() const { return Size(); }

    void SuspendLayout() { ++layoutSuspended_; }
    void ResumeLayout(bool performLayout = true);
    void PerformLayout();
    // Asks for a repaint at the next pump step: a flag on the control, which
    // the pump looks for in the forms' trees, so a control may ask once per
    // change however many changes it makes. Each ask also tells the backend
    // that a pump step has work (Backend::PumpRequested).
    void Invalidate();

    ControlCollection Controls{this};

    Event<const EventArgs> Click;
    Event<const EventArgs> Resize;
    Event<const EventArgs> Move;
    Event<const EventArgs> VisibleChanged;
    Event<KeyEventArgs> KeyDown;

    // Where the client area starts inside the bounds.
    virtual forms::Padding ClientInsets() const { return {}; }

protected:
    // Selectable controls can take the focus; tables and forms cannot.
    virtual bool IsSelectable() const { return false; }
    // Keys that the control wants for itself instead of the form's dialog handling.
    virtual bool IsInputKey(Keys keyData) const;
    // A left click at `point` in this control's client area.
    virtual void OnMouseClick(Point point, Keys modifiers);
    void Dispose(bool disposing) override;
    // An override that computes with `bounds` before chaining starts from Bounded(bounds).
    virtual void SetBoundsCore(Rectangle bounds);
    // Held to the toolkit's coordinate range (see kMaxCoordinate); sizes at least 0.
    static Rectangle Bounded(Rectangle bounds);
    static forms::Padding Bounded(forms::Padding padding);
    // Arranges the children; the default docks them.
    virtual void OnLayout();
    virtual void OnPaint(DisplayList& list, Point origin, Rectangle clip) const;
    // The control's own key handling, after its KeyDown handlers.
    virtual void OnKeyDownDefault(KeyEventArgs&) {}
    virtual void OnClick();
    virtual void OnResumeLayout() {}
    // Scales positions, sizes, margins and paddings (auto-scaling by font).
    virtual void Scale(SizeF factor);
    // value x factor, rounded half away from zero, held to the coordinate range.
    static int Scaled(int value, float factor);
    void ScaleChildren(SizeF factor);
    // Appends an item painted by this control, to be filled in before the next one.
    DisplayItem& AddItem(DisplayList& list, DrawKind kind, Rectangle bounds, Rectangle clip) const;
    // Requests the parent to lay out again (a child's placement rules changed).
    void RequestParentLayout();
    // Stops being the form's active control, if it is.
    void GiveUpFocus();
    bool LayoutSuspended() const { return layoutSuspended_ > 0; }

private:
    // The tree's own classes, and input routing (input.cpp), which calls the
    // click and key handling below.
    friend class ControlCollection;
    friend class Form;
    friend struct detail::InputAccess;

    // Paints this control and its children. `origin` is where its top-left corner
    // lies in the form's client area; `clip` is what it may touch there.
    void PaintTree(DisplayList& list, Point origin, Rectangle clip) const;
    // Raises KeyDown and, unless handled, runs the control's own key handling.
    void ProcessKeyDown(KeyEventArgs& e);
    // Whether this control or one below it asked for a repaint; and forgetting every such request.
    bool PaintRequestedInTree() const;
    void ClearPaintRequests();

    Rectangle bounds_;
    Control* parent_ = nullptr;
    std::vector<Control*> children_;  // owned; index 0 is in front
    String name_;
    String text_;
    forms::Padding margin_{3};
    forms::Padding padding_;
    DockStyle dock_ = DockStyle::None;
    bool autoSize_ = false;
    int tabIndex_ = 0;
    bool tabStop_ = true;
    bool enabled_ = true;
    bool visible_ = true;
    int layoutSuspended_ = 0;
    bool inLayout_ = false;
    bool paintRequested_ = true;  // a new control has never been painted
    Form* adopter_ = nullptr;
};

}  // namespace forms
