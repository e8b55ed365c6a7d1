// A form's accessibility tree (accessibility.h) as Microsoft Active
// Accessibility shows it to a screen reader, for the Win32 backend
// (win32_backend.h). Internal to the toolkit.
//
// What a client reads. The window answers WM_GETOBJECT for OBJID_CLIENT with
// the client object (ROLE_SYSTEM_CLIENT, named by the form's title), whose
// children are the form's controls: a button is a simple child
// (ROLE_SYSTEM_PUSHBUTTON, default action "Press"); a list is an object of its
// own (ROLE_SYSTEM_LIST) with a positive object id of its window, answered by
// WM_GETOBJECT too, so that AccessibleObjectFromEvent finds it from the events
// raised for its lines, which are its simple children 1..N
// (ROLE_SYSTEM_LISTITEM). Rationale: a list that were the client itself would
// make the buttons read as its items.
//
// Objects hold the bridge of their window, never a control: each call finds
// its node again in the live form, so nothing is made per line and a child id
// is a line's position now. Notify turns the toolkit's notices into
// NotifyWinEvent. Once the form's window goes (Retire) every object answers
// CO_E_OBJNOTCONNECTED, however long a client holds it.
//
// Requests (accDoDefaultAction, accSelect) are queued with a message posted to
// the window and run when it arrives (RunRequest) through the accessibility::
// requests, never inside the client's call, so that a handler that closes the
// window or runs a loop does not hold the client. A queued request follows its
// line as lines come and go, and is dropped with it.
//
// Everything runs on the window's (the UI) thread, which must be in a
// single-threaded apartment for other processes' calls to reach it there
// (EnterApartment); a call arriving on another thread is refused.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <unknwn.h>

#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "forms/accessibility.h"

namespace forms {

class NativeBackendBase;

class AccessibleWindow : public std::enable_shared_from_this<AccessibleWindow> {
public:
    // Posted to the window for each queued request.
    static constexpr UINT kRequestMessage = WM_APP + 1;

    // The bridge of `form`'s window `hwnd`; the errors of the requests it runs
    // go to `backend` as a handler's do (native_backend.h). Both outlive it
    // until Retire.
    AccessibleWindow(HWND hwnd, Form& form, NativeBackendBase& backend);
    AccessibleWindow(const AccessibleWindow&) = delete;
    AccessibleWindow& operator=(const AccessibleWindow&) = delete;

    // WM_GETOBJECT: the LRESULT of the object asked for, or 0 for one the
    // system answers (the window, the caret, ...).
    LRESULT Answer(WPARAM wParam, LPARAM lParam);
    // Raises the event the notice makes; a Closed notice retires the bridge.
    void Notify(const accessibility::Notice& notice) noexcept;
    // kRequestMessage arrived: runs the oldest queued request, if any.
    void RunRequest();
    // The form's window goes: the objects answer as disconnected from now on.
    void Retire() noexcept;

    // For the objects (win32_accessible.cpp).
    struct Request {
        enum class Kind { DefaultAction, Select, TakeFocus } kind;
        Control* control;  // the node's; a line's list
        int line;          // -1 for a control
        accessibility::Selecting how;
    };
    bool Retired() const { return form_ == nullptr; }
    bool OnItsThread() const { return GetCurrentThreadId() == thread_; }
    HWND Hwnd() const { return hwnd_; }
    Form& TheForm() const { return *form_; }
    // The list of object id `id` while it is in the form, else null.
    accessibility::Node ListOf(LONG id) const;
    // The positive object id of `list` in this window, given at its first asking.
    LONG IdOf(Control* list);
    // Queues `request` and posts its message; answers whether it could.
    bool Queue(const Request& request);
    // An object handed out, from its birth to its end, so that Retire can
    // cut it off from its clients (CoDisconnectObject).
    void Born(IUnknown* object);
    void Ended(IUnknown* object) noexcept;

private:
    // What a client last heard of a list's selection, to tell it what changed.
    struct Selection {
        bool known = false;      // false: too many lines, or never read
        std::vector<int> lines;  // ascending
    };

    void Raise(DWORD event, accessibility::Node node);
    void Seed(Control* list);
    void SelectionChanged(accessibility::Node list);
    // Lines [index, index + count) of `list` were inserted (count > 0) or removed (count < 0).
    void Renumber(Control* list, int index, int count);

    HWND hwnd_;
    Form* form_;
    NativeBackendBase* backend_;
    DWORD thread_;
    std::vector<Control*> objects_;  // object id i + 1 is objects_[i]
    std::map<Control*, Selection> selections_;
    std::deque<Request> pending_;
    std::vector<IUnknown*> living_;  // the objects handed out and not yet ended; not owned
};

// Enters this thread into a single-threaded apartment, where the calls of
// other processes' clients arrive on it; answers whether it is in one, and
// then one LeaveApartment is owed.
bool EnterApartment();
void LeaveApartment();

}  // namespace forms
