// The seam between the toolkit and a real window system.
//
// With no backend installed the toolkit runs headless: nothing is drawn, text is
// measured at 6 x 13 per character, and everything else behaves the same.
// A backend creates and moves native windows, measures text and draws display
// lists; the input it receives it hands back through the functions in
// `forms::input`, which are also what the automation surface calls. The text
// backend (text_backend.h) is the model: it draws the display list it is given,
// and knows no control type. A backend for a real window system (win32_backend.h)
// also frames windows as that system does, reads their pixels back and runs
// the event loop; the defaults below are the headless answers.
#pragma once

#include <optional>
#include <vector>

#include "forms/display_list.h"
#include "forms/drawing.h"
#include "forms/events.h"
#include "forms/picture.h"
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

    // The frame the window system puts around the client area of `form` for
    // its border style and boxes (left, caption and top, right, bottom), asked
    // at any time, before the first Show too; nothing keeps the toolkit's own
    // figures (Form::ClientInsets). It may follow the border style (the toolkit
    // keeps the client size when that changes), nothing else the toolkit sets.
    virtual std::optional<Padding> WindowFrame(const Form&) { return std::nullopt; }
    // The pixels of the client area of `form` as its window shows them, or
    // nothing where they cannot be read back (no native window).
    virtual std::optional<Picture> Capture(Form&) { return std::nullopt; }

    // The toolkit has work for a pump step (posted work, a form to repaint, a
    // disposed form to free); it may say so many times before the step runs,
    // also from inside a step or a dispatch of input. Where the program that
    // installed the backend pumps (the host's desktop), there is nothing to do.
    // A backend that lives in a message loop it does not own (the Win32
    // backend embedded in a component, win32_backend.h) schedules an
    // Application::DoEvents of its own on that loop, never runs one here.
    virtual void PumpRequested() {}

    // The event loop, for a window system that has one; the host calls these.
    // Handles every event queued for this thread's windows without waiting,
    // input going to forms::input; answers whether there was any. An error
    // thrown by a handler passes to the caller (the rest wait for the next call).
    virtual bool ProcessEvents() { return false; }
    // Blocks until the window system has an event for this thread or Wake is
    // called (headless: returns at once).
    virtual void WaitForEvents() {}
    // From any thread: makes a WaitForEvents on the UI thread return.
    virtual void Wake() {}
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
