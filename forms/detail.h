// Internal to the toolkit: the process-wide state behind Application.
#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "forms/accessibility.h"

namespace forms {

class Backend;
class Control;
class Form;

namespace detail {

struct State {
    std::vector<Form*> forms;         // every live form, owned, in creation order
    std::vector<Form*> constructing;  // forms being built; the last adopts new controls
    std::vector<Form*> disposed;      // disposed forms waiting to be freed
    std::deque<std::function<void()>> posted;
    Backend* backend = nullptr;
    Form* active = nullptr;
    int dispatchDepth = 0;
    // What each shown form last reported as focused (notices.h).
    std::vector<std::pair<const Form*, accessibility::Node>> reportedFocus;
};

State& state();

void RegisterForm(Form* form);
// Removes `form` from every list; called from its destructor.
void UnregisterForm(Form* form);
void EndConstruction(Form* form);
// Queues a disposed form for freeing.
void ScheduleFree(Form* form);
void FreeDisposed();
// The children of `parent` in tab order: ascending TabIndex, on a tie the later added first.
std::vector<Control*> ChildrenInTabOrder(const Control& parent);
// Every form drops its references to `control`.
void ForgetControl(const Control* control);
// There is work for the next pump step: tells the backend (Backend::PumpRequested).
void RequestPump();
// Called for every form made while no backend is installed. The shared
// toolkit, which the program that loads it installs a backend into and pumps
// (or runs headless), does nothing (own_backend_none.cpp). The static copy a
// component's DLL holds on Windows is private to it, so nobody else can:
// it installs the Win32 backend itself (own_backend_win32.cpp).
void InstallOwnBackend();

template <class T>
void Erase(std::vector<T*>& list, const T* item) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == item) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

}  // namespace detail
}  // namespace forms
