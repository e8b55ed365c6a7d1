// The toolkit on the Windows desktop: each form a native top-level window.
//
// The toolkit's model stays the authority (selection, focus, key routing,
// layout); this backend only makes it real. A form's window is created at its
// first Show with the styles its properties ask for (border style, boxes,
// TopMost, ShowInTaskbar), framed as the system frames it (AdjustWindowRectEx,
// which WindowFrame reports), held to the form's minimum and maximum sizes
// while the user drags it (WM_GETMINMAXINFO), and painted from the display
// list with GDI, double-buffered, in the system's colours and the dialog font
// (the non-client metrics' message font). Clicks, keys, the close box,
// moves, resizes and activation go to forms::input. Properties are read when
// the window is created; changing them later changes nothing native.
//
// Screen readers read each window through Microsoft Active Accessibility
// (win32_accessible.h): Open enters the thread into a single-threaded
// apartment for their calls, WM_GETOBJECT answers the form's tree, Notify
// raises their events, and what they ask for runs from a posted message.
//
// Messages that arrive while the toolkit itself calls the backend are the
// echo of its own request (a move it asked for, an activation it made) and
// are not handed back as input. One backend per process, on the thread that
// opened it.
//
// Who runs the loop (Mode):
//   Driven    the program that opened the backend (the host's desktop) calls
//             ProcessEvents, WaitForEvents and Application::DoEvents.
//   Embedded  a message loop that knows nothing of the toolkit: a player's
//             own GetMessage/DispatchMessage loop around a component whose
//             DLL holds the toolkit privately. The toolkit's pump steps run
//             from a message the backend posts to its own hidden window when
//             the toolkit asks (PumpRequested): the repaints, the posted work
//             and the freeing of disposed forms. Requests made during a step
//             wait for a timer instead, whose message comes after input and
//             painting, so that work which keeps posting work cannot starve them.
//
// Errors. No exception ever leaves the window procedure: its caller is the
// system, and above that a message loop that may be another program's.
// Driven, an error thrown by a handler (or by anything else the procedure
// runs) is kept and rethrown from ProcessEvents, and the messages after it
// wait for the next call. Embedded, there is nobody to hand it to: its
// message (what()) goes to OutputDebugStringW and the error is dropped. The
// dispatch it broke off is over (forms it closed are freed as usual), the
// window stays usable and the next message is handled as usual; a pump step
// that failed is followed by another, so the work posted after the failing
// work still runs and the forms are still repainted.
#pragma once

#include <memory>

#include "forms/backend.h"

namespace forms {

class Win32Backend : public Backend {
public:
    enum class Mode { Driven, Embedded };

    // A backend on this thread's desktop, or null when there is none to draw
    // on (Wine without an X server, a service session).
    static std::unique_ptr<Win32Backend> Open(Mode mode = Mode::Driven);
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    Size FontMetrics() override;
    Size MeasureText(const String& text) override;
    std::vector<Screen> Screens() override;
    void CreateWindow(Form& form) override;
    void DestroyWindow(Form& form) override;
    void SetWindowBounds(Form& form, Rectangle outer) override;
    void SetWindowVisible(Form& form, bool visible) override;
    void SetWindowText(Form& form, const String& text) override;
    void ActivateWindow(Form& form) override;
    void Present(Form& form, const DisplayList& list) override;
    std::optional<Padding> WindowFrame(const Form& form) override;
    // Through PrintWindow: the window paints itself into a bitmap, read back with GetDIBits.
    std::optional<Picture> Capture(Form& form) override;
    // Raises the screen readers' event (win32_accessible.h).
    void Notify(Form& form, const accessibility::Notice& notice) override;
    void PumpRequested() override;
    bool ProcessEvents() override;
    void WaitForEvents() override;
    void Wake() override;

    // The form's window (an HWND), or null before its first Show and after its disposal.
    void* NativeWindow(const Form& form) const;

    struct Impl;

private:
    explicit Win32Backend(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace forms
