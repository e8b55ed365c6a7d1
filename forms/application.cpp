#include "forms/application.h"

#include <algorithm>
#include <utility>

#include "forms/backend.h"
#include "forms/detail.h"
#include "forms/form.h"
#include "forms/text_backend.h"

namespace forms {
namespace detail {

// The private parts of a form that the application reaches, and nothing else.
struct ApplicationAccess {
    // Whether `form` changed since it was last presented.
    static bool NeedsPaint(const Form& form) { return form.NeedsPaint(); }
    static void MarkPainted(Form& form) { form.MarkPainted(); }
    static void Forget(Form& form, const Control* control) { form.Forget(control); }
};

State& state() {
    static State instance;
    return instance;
}

void RegisterForm(Form* form) {
    state().forms.push_back(form);
    state().constructing.push_back(form);
}

void UnregisterForm(Form* form) {
    State& s = state();
    Erase(s.forms, form);
    Erase(s.constructing, form);
    Erase(s.disposed, form);
    if (s.active == form) s.active = nullptr;
}

void EndConstruction(Form* form) { Erase(state().constructing, form); }

void ScheduleFree(Form* form) {
    for (Form* f : state().disposed)
        if (f == form) return;
    state().disposed.push_back(form);
    // Inside a dispatch it goes when the dispatch ends; else at the next step.
    if (state().dispatchDepth == 0) RequestPump();
}

void FreeDisposed() {
    State& s = state();
    while (!s.disposed.empty()) {
        Form* form = s.disposed.back();
        s.disposed.pop_back();
        delete form;  // its destructor unregisters it everywhere
    }
}

void ForgetControl(const Control* control) {
    for (Form* form : state().forms) ApplicationAccess::Forget(*form, control);
}

void RequestPump() {
    if (Backend* b = state().backend) b->PumpRequested();
}

}  // namespace detail

DispatchScope::DispatchScope() { ++detail::state().dispatchDepth; }

DispatchScope::~DispatchScope() {
    if (--detail::state().dispatchDepth == 0) detail::FreeDisposed();
}

std::vector<Form*> Application::OpenForms() {
    std::vector<Form*> open;
    for (Form* form : detail::state().forms)
        if (form->IsHandleCreated() && !form->IsDisposed()) open.push_back(form);
    return open;
}

Form* Application::ActiveForm() { return detail::state().active; }

bool Application::DoEvents() {
    DispatchScope scope;
    detail::State& s = detail::state();
    s.constructing.clear();
    bool worked = false;
    // Work posted while this step runs waits for the next one, so a task that
    // posts itself cannot starve the host.
    std::size_t count = s.posted.size();
    while (count-- > 0 && !s.posted.empty()) {
        std::function<void()> work = std::move(s.posted.front());
        s.posted.pop_front();
        work();
        worked = true;
    }
    if (s.backend) {
        DisplayList list;
        for (Form* form : std::vector<Form*>(s.forms)) {
            if (form->IsDisposed() || !form->Visible() || !detail::ApplicationAccess::NeedsPaint(*form)) continue;
            form->PaintForm(list);
            detail::ApplicationAccess::MarkPainted(*form);
            s.backend->Present(*form, list);
            worked = true;
        }
    }
    worked = worked || !s.disposed.empty();
    return worked;
}

void Application::Post(std::function<void()> work) {
    detail::state().posted.push_back(std::move(work));
    detail::RequestPump();
}

void Application::Collect() {
    if (detail::state().dispatchDepth == 0) detail::FreeDisposed();
}

void Application::Shutdown() {
    detail::State& s = detail::state();
    {
        DispatchScope scope;
        // Newest first, so a form made by another goes before it.
        while (true) {
            Form* live = nullptr;
            for (auto it = s.forms.rbegin(); it != s.forms.rend(); ++it) {
                if (!(*it)->IsDisposed()) {
                    live = *it;
                    break;
                }
            }
            if (!live) break;
            live->Dispose();
        }
    }
    // A form disposed but never queued (its disposal threw half-way) still goes.
    for (Form* form : std::vector<Form*>(s.forms)) detail::ScheduleFree(form);
    if (s.dispatchDepth == 0) detail::FreeDisposed();
    s.posted.clear();
    s.constructing.clear();
    s.backend = nullptr;
    s.active = nullptr;
}

void Application::SetBackend(Backend* backend) { detail::state().backend = backend; }

Backend* Application::GetBackend() { return detail::state().backend; }

// Headless, text is measured as the text backend draws it.
Size Application::FontMetrics() {
    if (Backend* b = detail::state().backend) return b->FontMetrics();
    return TextBackend::kCell;
}

Size Application::MeasureText(const String& text) {
    if (Backend* b = detail::state().backend) return b->MeasureText(text);
    return TextBackend::Measure(text);
}

std::vector<Screen> Application::AllScreens() {
    std::vector<Screen> screens;
    if (Backend* b = detail::state().backend) screens = b->Screens();
    std::erase_if(screens, [](const Screen& s) { return s.Bounds.IsEmpty(); });
    if (screens.empty()) screens.push_back({{0, 0, 1920, 1080}, {0, 0, 1920, 1080}});
    return screens;
}

Rectangle Application::VirtualScreen() {
    const std::vector<Screen> screens = AllScreens();
    long long left = screens[0].Bounds.X, top = screens[0].Bounds.Y;
    long long right = screens[0].Bounds.Right(), bottom = screens[0].Bounds.Bottom();
    for (const Screen& s : screens) {
        left = std::min<long long>(left, s.Bounds.X);
        top = std::min<long long>(top, s.Bounds.Y);
        right = std::max<long long>(right, s.Bounds.Right());
        bottom = std::max<long long>(bottom, s.Bounds.Bottom());
    }
    return {ClampToInt(left), ClampToInt(top), ClampToInt(right - left), ClampToInt(bottom - top)};
}

int Application::LiveFormCount() { return static_cast<int>(detail::state().forms.size()); }

}  // namespace forms
