// The toolkit inside a component's DLL on Windows, where it is private: no
// program can install a backend into it or pump it. At the first form made
// with no backend installed it opens the Win32 backend on that (the UI)
// thread in embedded mode (win32_backend.h), so that the program's own
// message loop drives the windows; where no window can be made (no desktop)
// it stays headless and does not try again.
#include <memory>

#include "forms/application.h"
#include "forms/detail.h"
#include "forms/win32_backend.h"

namespace forms::detail {

namespace {

// Made at the first form, after the toolkit's state (which that form's
// construction made), and so destroyed before it when the DLL is unloaded:
// the windows and their class go while the window procedure is still there.
struct OwnBackend {
    std::unique_ptr<Win32Backend> backend;
    bool tried = false;

    OwnBackend() = default;
    OwnBackend(const OwnBackend&) = delete;
    OwnBackend& operator=(const OwnBackend&) = delete;
    ~OwnBackend() {
        if (backend && Application::GetBackend() == backend.get()) Application::SetBackend(nullptr);
    }
};

}  // namespace

void InstallOwnBackend() {
    static OwnBackend own;
    if (!own.tried) {
        own.tried = true;
        own.backend = Win32Backend::Open(Win32Backend::Mode::Embedded);
    }
    // Again after Application::Shutdown, which uninstalls it.
    if (own.backend) Application::SetBackend(own.backend.get());
}

}  // namespace forms::detail
