// The seam between the toolkit and a real window system.
//
// With no backend installed the toolkit runs headless: nothing is drawn, text is
// measured at 6 x 13 per character, and everything else behaves the same.
// A backend creates and moves native windows, measures text and draws display
// lists; the input it receives it hands back through the functions in
// `forms::input`, which are also what the automation surface calls. The text
// backend (text_backend.h) is the model: it draws the display list it is given,
// and knows no control type. A backend for a real window system (win32_backend.h,
// gtk_backend.h, what they share in native_backend.h) also frames windows as
// that system does, reads their pixels back and runs the event loop; the
// defaults below are the headless answers.
//
// The order of calls, all on the one UI thread that opened the backend (Wake aside):
//   1. Open. The program opens the backend and installs it
//      (Application::SetBackend) before its first form; the toolkit a
//      component's DLL holds on Windows opens and installs its own at its
//      first form. From then on FontMetrics, MeasureText, Screens and
//      WindowFrame may be asked at any time, for a form not yet shown too.
//   2. Show. At a form's first Show: CreateWindow, SetWindowBounds,
//      SetWindowText; the form's Load handlers run; SetWindowVisible(true);
//      ActivateWindow. Then, until step 6, the toolkit calls the slot again
//      when one of those changes (bounds, text, visibility, activation), and
//      only for a form whose window exists.
//   3. Paint. A pump step (Application::DoEvents) calls Present for each
//      visible form that changed since it was last presented. The toolkit
//      calls PumpRequested whenever it has work for a step. Capture may come
//      at any time while the window exists.
//   4. Input. What the user does to a window goes to forms::input, only from
//      inside the event loop (step 5) or, embedded, from the window system's
//      own dispatch; a handler may then call anything above, as the toolkit.
//   5. The loop. The program calls ProcessEvents, then Application::DoEvents,
//      and WaitForEvents when neither had anything to do; Wake ends that wait.
//   6. Close. At a form's disposal: SetWindowVisible(false) if it was visible,
//      then DestroyWindow; nothing more for that form, which is freed soon
//      after. Application::Shutdown disposes every form and uninstalls the
//      backend; the program then destroys the backend.
//
// The echo rule. What the window system reports because of the toolkit's own
// request is not input: the move to the place the toolkit asked for, the
// activation it made. A backend hands nothing to forms::input while the
// toolkit is calling it (a window system that answers within the call), nor
// later for a report that only answers such a request (one that answers
// afterwards). Rationale: the toolkit already did what the echo says, or has
// undone it since; taken for input, an old report makes the toolkit ask
// again, and two windows take the focus (or a place) from each other without end.
//
// Each slot's tag: [thread | when (the steps above) | what it may call back].
// "Reads the form" means the form's properties and geometry, never anything
// that changes it.
#pragma once

#include <optional>
#include <vector>

#include "forms/accessibility.h"
#include "forms/display_list.h"
#include "forms/drawing.h"
#include "forms/events.h"
#include "forms/picture.h"
#include "forms/text.h"

namespace forms {

class Control;
class Form;

class Backend {
public:
    virtual ~Backend() = default;
    // [UI | any time from 1 | nothing]
    // Average character width (average_char_width, text.h) and line height of the dialog font.
    virtual Size FontMetrics() = 0;
    // [UI | any time from 1 | nothing]
    // The text as it shows (shown_text, text.h) in the dialog font.
    virtual Size MeasureText(const String& text) = 0;
    // [UI | any time from 1 | nothing]
    // Every monitor, the primary first. Screens with an empty Bounds are ignored;
    // with none left the toolkit assumes the headless screen (see Application).
    virtual std::vector<Screen> Screens() = 0;
    // [UI | 2, a form's first Show | reads the form]
    // The native window of `form`, hidden.
    virtual void CreateWindow(Form& form) = 0;
    // [UI | 6, a form's disposal | nothing]
    virtual void DestroyWindow(Form& form) = 0;
    // [UI | 2 to 6 | reads the form]
    // Outer bounds in screen coordinates, frame and caption included.
    virtual void SetWindowBounds(Form& form, Rectangle outer) = 0;
    // [UI | 2 to 6 | nothing]
    virtual void SetWindowVisible(Form& form, bool visible) = 0;
    // [UI | 2 to 6 | nothing]
    // The title shows `text` as shown_text (text.h) has it.
    virtual void SetWindowText(Form& form, const String& text) = 0;
    // [UI | 2 to 6 | nothing]
    virtual void ActivateWindow(Form& form) = 0;
    // [UI | 3, a pump step | reads the form]
    // Draw the client area of `form`; the list is only borrowed for the call.
    virtual void Present(Form& form, const DisplayList& list) = 0;

    // [UI | any time from 1 | reads the form]
    // The frame the window system puts around the client area of `form` for
    // its border style and boxes (left, caption and top, right, bottom), asked
    // at any time, before the first Show too; nothing keeps the toolkit's own
    // figures (Form::ClientInsets). It may follow the border style (the toolkit
    // keeps the client size when that changes), nothing else the toolkit sets.
    virtual std::optional<Padding> WindowFrame(const Form&) { return std::nullopt; }
    // [UI | 2 to 6 | reads the form, and paints it into a display list]
    // The pixels of the client area of `form` as its window shows them, or
    // nothing where they cannot be read back (no native window).
    virtual std::optional<Picture> Capture(Form&) { return std::nullopt; }

    // [UI | 2 to 6 | reads the form and its accessibility tree; never forms::input]
    // Something assistive technology sees changed (accessibility.h). The
    // toolkit reports it as it happens, also from inside a handler; a bridge
    // raises the platform's event, or does nothing where there is none.
    virtual void Notify(Form&, const accessibility::Notice&) {}

    // [UI | any time from 1 | nothing]
    // The toolkit has work for a pump step (posted work, a form to repaint, a
    // disposed form to free); it may say so many times before the step runs,
    // also from inside a step or a dispatch of input. Where the program that
    // installed the backend pumps (the host's desktop), there is nothing to do.
    // A backend that lives in a message loop it does not own (the Win32
    // backend embedded in a component, win32_backend.h) schedules an
    // Application::DoEvents of its own on that loop, never runs one here.
    virtual void PumpRequested() {}

    // The event loop, for a window system that has one; the host calls these.
    // [UI | 5 | forms::input]
    // Handles every event queued for this thread's windows without waiting,
    // input going to forms::input; answers whether there was any. An error
    // thrown by a handler passes to the caller (the rest wait for the next call).
    virtual bool ProcessEvents() { return false; }
    // [UI | 5 | forms::input, as ProcessEvents; an error waits for the next ProcessEvents]
    // Blocks until the window system has an event for this thread or Wake is
    // called (headless: returns at once). It may handle what it waited for.
    virtual void WaitForEvents() {}
    // [any thread | any time from 1 | nothing]
    // Makes a WaitForEvents on the UI thread return.
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
// Assistive technology gave the focus to `control` (activating its form), as a click would.
void Focus(Control& control);
}  // namespace input

}  // namespace forms
