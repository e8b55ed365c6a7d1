// The seam between the toolkit and a real window system.
//
// With no backend installed the toolkit runs headless: nothing is drawn, text is
// measured at 6 x 13 per character, and everything else behaves the same.
// A backend creates and moves native windows, measures text and draws display
// lists; the input it receives it hands back through the functions in
// `forms::input`, which are also what the automation surface calls. The text
// backend (text_backend.h) is the model: it draws the display list it is given,
// and knows no control type.
#pragma once

#include <vector>

#include "forms/display_list.h"
#include "forms/drawing.h"
#include "forms/events.h"
#include "forms/text.h"

namespace forms {

class Form;

// All calls come on the UI thread, from inside the toolkit.
class Backend {
public:
    virtual ~Backend() = default;
    // Average character width and line height of the dialog font.
    virtual Size FontMetrics() = 0;
    virtual Size MeasureText(const String& text) = 0;
    // Every monitor, the primary first. Screens with an empty Bounds are ignored;
    // with none left the toolkit assumes the headless screen (see Application).
    virtual std::vector<Screen> Screens() = 0;
    // The native window of `form` is created at its first Show and destroyed at its disposal.
    virtual void CreateWindow(Form& form) = 0;
    virtual void DestroyWindow(Form& form) = 0;
    // Outer bounds in screen coordinates, frame and caption included.
    virtual void SetWindowBounds(Form& form, Rectangle outer) = 0;
    virtual void SetWindowVisible(Form& form, bool visible) = 0;
    virtual void SetWindowText(Form& form, const String& text) = 0;
    virtual void ActivateWindow(Form& form) = 0;
    // Draw the client area of `form`; the list is only borrowed for the call.
    virtual void Present(Form& form, const DisplayList& list) = 0;
};

// Input from the window system. Each call is one dispatch: forms closed by a
// handler during it are freed when the outermost dispatch returns, so the
// caller must not touch `form` afterwards unless it is still open.
// Errors thrown by handlers pass to the caller.
namespace input {
// A left click (press and release) at `point` in the client area, with Shift/Control in `modifiers`.
void Click(Form& form, Point point, Keys modifiers = Keys::None);
// A key press with its modifiers, routed to the focused control.
void KeyDown(Form& form, Keys keyData);
// The user dragged the window's corner to `location` (screen coordinates).
void MoveWindow(Form& form, Point location);
// The user dragged the window's border; `outer` includes frame and caption.
void ResizeWindow(Form& form, Size outer);
// The close box: closes the form as Close() does, cancellable by FormClosing.
void CloseWindow(Form& form);
// The user brought the window to the front.
void ActivateWindow(Form& form);
}  // namespace input

}  // namespace forms
