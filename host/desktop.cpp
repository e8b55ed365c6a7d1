#include "host/desktop.h"

#include <exception>
#include <stdexcept>

#include "forms/application.h"
#include "forms/backend.h"
#include "host/line_input.h"
#ifdef _WIN32
#include "forms/win32_backend.h"
#elif defined(SORVALE_HOST_GTK)
#include "forms/gtk_backend.h"
#endif

namespace host {

namespace {

// The real window systems of this build, tried in order; the first that
// opens wins: Win32 on Windows, GTK on Linux where an X display opens (none
// in a build without the desktop).
std::unique_ptr<forms::Backend> open_window_system(const char*& p_name) {
#ifdef _WIN32
    if (auto backend = forms::Win32Backend::Open()) {
        p_name = "win32";
        return backend;
    }
#elif defined(SORVALE_HOST_GTK)
    if (auto backend = forms::GtkBackend::Open()) {
        p_name = "gtk";
        return backend;
    }
#endif
    (void)p_name;
    return nullptr;
}

}  // namespace

desktop::desktop(bool p_headless) {
    if (!p_headless) m_backend = open_window_system(m_name);
    forms::Application::SetBackend(m_backend.get());
}

desktop::~desktop() {
    if (forms::Application::GetBackend() == m_backend.get()) forms::Application::SetBackend(nullptr);
}

bool desktop::pump() {
    bool worked = false;
    try {
        worked = m_backend && m_backend->ProcessEvents();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvale-host: %s\n", e.what());
        worked = true;
    }
    try {
        worked = forms::Application::DoEvents() || worked;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sorvale-host: %s\n", e.what());
        worked = true;
    }
    return worked;
}

void desktop::wake() {
    if (m_backend) m_backend->Wake();
}

unsigned desktop::run_input(session& p_session, const std::shared_ptr<line_input>& p_input) {
    if (!m_backend) throw std::logic_error("run_input needs a real window system");
    return run_lines(p_session, p_input, *m_backend, [this] { return pump(); });
}

}  // namespace host
