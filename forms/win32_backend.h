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
// Messages that arrive while the toolkit itself calls the backend are the
// echo of its own request (a move it asked for, an activation it made) and
// are not handed back as input. An error thrown by a handler during a
// message is kept and rethrown from ProcessEvents, never across the system's
// own frames. One backend per process, on the thread that opened it.
#pragma once

#include <memory>

#include "forms/backend.h"

namespace forms {

class Win32Backend : public Backend {
public:
    // A backend on this thread's desktop, or null when there is none to draw
    // on (Wine without an X server, a service session).
    static std::unique_ptr<Win32Backend> Open();
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
