// The toolkit's process-wide state: the open forms, the message pump, the
// backend, and the freeing of disposed forms. The program that installs the
// backend drives the pump; a backend that runs in a message loop it does not
// own drives it itself (Backend::PumpRequested).
//
// Everything runs on the one UI thread that calls these functions; nothing here
// is thread-safe.
#pragma once

#include <functional>
#include <vector>

#include "forms/drawing.h"
#include "forms/text.h"

namespace forms {

class Backend;
class Form;

class Application {
public:
    Application() = delete;

    // Forms shown and not yet closed, in the order they were created.
    static std::vector<Form*> OpenForms();
    // The form that receives keys, or null.
    static Form* ActiveForm();

    // One pump step: runs posted work, repaints forms that changed (when a backend
    // is installed), then frees disposed forms. Returns whether there was work.
    // An error thrown by posted work passes to the caller; the work after it
    // waits for the next step.
    static bool DoEvents();
    // Runs `work` at the next pump step.
    static void Post(std::function<void()> work);
    // Frees disposed forms now, unless a dispatch is on the stack (then they go
    // when it unwinds).
    static void Collect();
    // Disposes every form, frees them, drops posted work and uninstalls the backend.
    static void Shutdown();

    // Installs `backend` (not owned; keep it alive until it is replaced or Shutdown).
    // Null returns to headless.
    static void SetBackend(Backend* backend);
    static Backend* GetBackend();
    // Average character width and height of the dialog font (headless: 6 x 13).
    static Size FontMetrics();
    static Size MeasureText(const String& text);
    // The backend's monitors, the primary first, never none. Headless there is
    // one, 1920 x 1080 at (0, 0), all of it working area: a common desktop, so
    // that headless windows are held to a size a real one could have.
    static std::vector<Screen> AllScreens();
    // The smallest rectangle that holds every monitor.
    static Rectangle VirtualScreen();

    // How many forms exist (open, hidden or disposed but not yet freed).
    static int LiveFormCount();
};

// Marks a dispatch of input on the stack; disposed forms are freed when the
// outermost one ends.
class DispatchScope {
public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

}  // namespace forms
