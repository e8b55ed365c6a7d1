// A top-level window.
//
// Ownership and lifetime. Create forms with `new`; from its construction on a
// form belongs to the toolkit, never delete it yourself. Close() on a shown form
// raises FormClosing (which may cancel), then FormClosed, then runs Dispose(true)
// at once; a form never shown only disposes. A disposed form is freed later, at
// a safe point: when the outermost input dispatch or pump step returns, at
// Application::Collect(), or at Application::Shutdown(), which also disposes and
// frees every form still open. So Close() may be called from the form's own
// handlers, and a caller may still ask IsDisposed() until it next pumps.
// A derived window extends Dispose(bool) and chains to Form::Dispose(bool); its
// override hides Dispose(), which `using forms::Form::Dispose;` brings back.
// Controls made while the form is being built are adopted by it (see Control),
// so a constructor that throws leaks nothing.
#pragma once

#include <vector>

#include "forms/control.h"

namespace forms {

class Button;

namespace detail {
struct ApplicationAccess;
struct InputAccess;
}  // namespace detail

// Frame of a border style, documented per style in form.cpp: frame on each
// side, and the caption height on top of the upper frame.
enum class FormBorderStyle { None = 0, FixedSingle = 1, Fixed3D = 2, FixedDialog = 3, Sizable = 4,
                             FixedToolWindow = 5, SizableToolWindow = 6 };
enum class FormStartPosition { Manual = 0, CenterScreen = 1, DefaultLocation = 2, DefaultBounds = 3,
                               CenterParent = 4 };
enum class AutoScaleMode { None = 0, Font = 1, Dpi = 2, Inherit = 3 };

class Form : public Control {
public:
    Form();
    ~Form() override;
    using Control::Dispose;

    // Outer size and location are Control's Size/Location (frame and caption
    // included, screen coordinates). ClientSize excludes them.
    forms::Size MinimumSize() const { return minimumSize_; }
    // Applies to the outer size at every size change; a larger minimum grows the form now.
    void SetMinimumSize(forms::Size size);
    // The largest outer size the desktop allows, as it never makes a window larger
    // than its maximum tracking size: the virtual screen plus this form's frame.
    // Applies at every size change and wins over a larger MinimumSize.
    forms::Size MaximumTrackSize() const;
    forms::FormBorderStyle FormBorderStyle() const { return borderStyle_; }
    void SetFormBorderStyle(forms::FormBorderStyle style);
    forms::FormStartPosition StartPosition() const { return startPosition_; }
    void SetStartPosition(forms::FormStartPosition position) { startPosition_ = position; }
    bool MaximizeBox() const { return maximizeBox_; }
    void SetMaximizeBox(bool value) { maximizeBox_ = value; }
    bool MinimizeBox() const { return minimizeBox_; }
    void SetMinimizeBox(bool value) { minimizeBox_ = value; }
    bool ShowIcon() const { return showIcon_; }
    void SetShowIcon(bool value) { showIcon_ = value; }
    bool ShowInTaskbar() const { return showInTaskbar_; }
    void SetShowInTaskbar(bool value) { showInTaskbar_ = value; }
    bool TopMost() const { return topMost_; }
    void SetTopMost(bool value) { topMost_ = value; }
    // The form's KeyDown sees every key first, before the dialog keys and the focused control.
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    // Enter clicks the accept button (the focused button only when there is none),
    // Esc the cancel button; both after the KeyPreview handlers.
    Button* AcceptButton() const { return acceptButton_; }
    void SetAcceptButton(Button* button);
    Button* CancelButton() const { return cancelButton_; }
    // Gives the button DialogResult Cancel if it has none.
    void SetCancelButton(Button* button);
    forms::DialogResult DialogResult() const { return dialogResult_; }
    void SetDialogResult(forms::DialogResult result) { dialogResult_ = result; }
    SizeF AutoScaleDimensions() const { return autoScaleDimensions_; }
    void SetAutoScaleDimensions(SizeF dimensions) { autoScaleDimensions_ = dimensions; }
    forms::AutoScaleMode AutoScaleMode() const { return autoScaleMode_; }
    void SetAutoScaleMode(forms::AutoScaleMode mode) { autoScaleMode_ = mode; }

    void SetText(const String& text) override;
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override;
    // Non-modal: makes the form visible and returns. The first time it also creates
    // the native window, lays out, focuses the first control in tab order and activates.
    void Show() override;
    // Brings the form to the front and makes it the active form, if it is visible.
    void Activate();
    // Activates the form; the focus stays on (or goes to) its active control.
    bool Focus() override;
    void Close();
    bool IsActive() const;
    // The control that has, or will have, the focus within the form.
    Control* ActiveControl() const { return activeControl_; }
    // Gives the focus within the form to `control` (which must be in it), or to nobody.
    void SetActiveControl(Control* control);
    // Moves the focus to the next (or previous) selectable control in tab order.
    bool SelectNextControl(Control* from, bool forward, bool wrap);
    // Controls that can take the focus, depth first, siblings by TabIndex
    // (equal TabIndex: the later added first).
    std::vector<Control*> TabOrder() const;
    // Whether the native window exists (the form has been shown and not disposed).
    bool IsHandleCreated() const { return created_; }
    // The frame around the client area for the current border style: the
    // backend's (Backend::WindowFrame), else the fixed figures of form.cpp.
    forms::Padding ClientInsets() const override;
    // Paints the client area into `list` (cleared first).
    void PaintForm(DisplayList& list) const;

    Event<const EventArgs> Load;
    Event<const EventArgs> Activated;
    Event<const EventArgs> Deactivate;
    Event<const EventArgs> Shown;
    Event<FormClosingEventArgs> FormClosing;
    Event<const FormClosedEventArgs> FormClosed;

protected:
    void Dispose(bool disposing) override;
    void SetBoundsCore(Rectangle bounds) override;
    void OnResumeLayout() override;
    // Applies auto-scaling by font if the metrics differ from AutoScaleDimensions.
    void PerformAutoScale();

private:
    // The control tree adopts, forgets and invalidates through the members
    // below; input routing (input.cpp) sends dialog keys and the close box, and
    // the application (application.cpp) repaints and forgets.
    friend class Control;
    friend class ControlCollection;
    friend struct detail::ApplicationAccess;
    friend struct detail::InputAccess;

    // Takes a control made during construction; see Control.
    void Adopt(Control* control);
    void Unadopt(Control* control);
    // Drops every reference into `control` (it is going away).
    void Forget(const Control* control);
    // A button to click for Enter/Esc/Tab/arrows; true if the key was used.
    bool ProcessDialogKey(Keys keyData);
    // The close path, with the reason the events report.
    void CloseWith(CloseReason reason);
    void MarkNeedsPaint() { Invalidate(); }
    // Whether a control of the form asked for a repaint since it was last painted.
    bool NeedsPaint() const { return PaintRequestedInTree(); }
    void MarkPainted() { ClearPaintRequests(); }
    // Controls that can take the focus under `parent`, in tab order.
    static void CollectTabOrder(const Control& parent, std::vector<Control*>& out);
    void ReleaseWindow();
    forms::Size minimumSize_;
    forms::FormBorderStyle borderStyle_ = forms::FormBorderStyle::Sizable;
    forms::FormStartPosition startPosition_ = forms::FormStartPosition::DefaultLocation;
    bool maximizeBox_ = true;
    bool minimizeBox_ = true;
    bool showIcon_ = true;
    bool showInTaskbar_ = true;
    bool topMost_ = false;
    bool keyPreview_ = false;
    Button* acceptButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    forms::DialogResult dialogResult_ = forms::DialogResult::None;
    SizeF autoScaleDimensions_;
    forms::AutoScaleMode autoScaleMode_ = forms::AutoScaleMode::Inherit;
    Control* activeControl_ = nullptr;
    bool visible_ = false;
    bool created_ = false;
    bool closing_ = false;
    std::vector<Control*> adopted_;
};

}  // namespace forms
