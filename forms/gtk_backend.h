// The toolkit on the Linux desktop: each form a GTK 3 top-level window on X11.
//
// GTK is only the window and the canvas: the toolkit's model stays the
// authority (selection, focus, key routing, layout), as with the Win32
// backend. A form's window is created at its first Show with the window
// manager hints its properties ask for (a utility window for a tool window,
// kept above for TopMost, off the taskbar and pager, no maximise or minimise
// function for a tool window, the minimum and maximum sizes as geometry hints)
// and painted from the display list with Cairo (cairo_painter.h) in the
// theme's colours, its text laid out by Pango in the desktop's font, which
// FontMetrics and MeasureText report. The frame is what the window manager
// reports for a mapped window (none without a window manager); before the
// first one is mapped, where a window manager runs, the toolkit's own figures
// stand in. Clicks, keys, the close button, moves and resizes by the window
// manager and activation go to forms::input; where the toolkit keeps the form
// elsewhere (its minimum size), the window follows the form.
//
// X11 only: a Wayland compositor neither places windows where a client asks
// nor keeps one above the others on request, and the window's place is part
// of what the component keeps. An error thrown by a handler during an event
// is kept and rethrown from ProcessEvents. One backend per process, on the
// thread that opened it; GTK is initialised once and stays.
#pragma once

#include <memory>

#include "forms/backend.h"

namespace forms {

class GtkBackend : public Backend {
public:
    // A backend on the X display GTK opens (DISPLAY), or null when none opens.
    // Leaves the process's locale as it is.
    static std::unique_ptr<GtkBackend> Open();
    ~GtkBackend() override;
    GtkBackend(const GtkBackend&) = delete;
    GtkBackend& operator=(const GtkBackend&) = delete;

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
    // The form's display list drawn off-screen at its client size, as the window paints it.
    std::optional<Picture> Capture(Form& form) override;
    // The tree's changes as ATK signals (gtk_accessible.h).
    void Notify(Form& form, const accessibility::Notice& notice) override;
    // GLib's main context: its pending events without waiting, then
    // WaitForEvents blocks in it until an event or Wake.
    bool ProcessEvents() override;
    void WaitForEvents() override;
    void Wake() override;

    // The form's top-level window (a GtkWindow*), or null before its first Show and after its disposal.
    void* NativeWindow(const Form& form) const;

    struct Impl;

private:
    explicit GtkBackend(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace forms
