// What the backends for a real window system (win32_backend.h, gtk_backend.h)
// share, so that each of them keeps only what its window system does its own
// way: the window of each form, the echo rule and the handler errors that
// must not cross the window system's frames (backend.h), the one backend per
// process, the screens primary first, and what a form's window offers the user.
//
// A backend's private state (its Impl) derives from NativeBackendState, with
// the record it keeps for one form's window. Internal to the toolkit.
#pragma once

#include <exception>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "forms/drawing.h"

namespace forms {

class Form;

// What a form's window offers the user, from its properties, on every desktop.
struct WindowBoxes {
    bool tool = false;      // a tool window (FixedToolWindow, SizableToolWindow)
    bool sizable = false;   // its border can be dragged (Sizable, SizableToolWindow)
    // A tool window never has these, nor a place on the taskbar (and pager).
    bool minimize = false;
    bool maximize = false;
    bool taskbar = false;

    static WindowBoxes Of(const Form& form);
};

// Adds `screen` to the list Backend::Screens answers, the primary first.
void AddScreen(std::vector<Screen>& screens, const Screen& screen, bool primary);

class NativeBackendBase {
public:
    NativeBackendBase(const NativeBackendBase&) = delete;
    NativeBackendBase& operator=(const NativeBackendBase&) = delete;

    // Marks a call of the toolkit into the backend for its duration: what the
    // window system reports meanwhile is the echo of the toolkit's own
    // request, never input (backend.h). Nests.
    class ToolkitCall {
    public:
        explicit ToolkitCall(NativeBackendBase& backend) : backend_(backend) { ++backend_.toolkitCalls_; }
        ~ToolkitCall() { --backend_.toolkitCalls_; }
        ToolkitCall(const ToolkitCall&) = delete;
        ToolkitCall& operator=(const ToolkitCall&) = delete;

    private:
        NativeBackendBase& backend_;
    };
    bool InToolkitCall() const { return toolkitCalls_ > 0; }

    // Hands `form` to `deliver` as input (a call into forms::input), unless
    // it is null or the toolkit is calling the backend. What `deliver`
    // throws goes to Absorb: the caller is the window system.
    template <class F>
    void Deliver(Form* form, F&& deliver) {
        if (!form || InToolkitCall()) return;
        try {
            deliver(*form);
        } catch (...) {
            Absorb(std::current_exception());
        }
    }
    // An error that must go no further than the window system's callback:
    // held for the event loop to rethrow, the first of them (backend.h).
    virtual void Absorb(std::exception_ptr error) noexcept {
        if (!held_) held_ = std::move(error);
    }
    bool Holding() const { return held_ != nullptr; }

    // Backend::ProcessEvents: `step` handles one event of the window system
    // without waiting and answers whether there was one. Steps until none is
    // left or an error is held, then rethrows that error; answers whether
    // there was any event.
    template <class Step>
    bool RunEvents(Step&& step) {
        bool any = false;
        // Bounded, so that a source that never stops firing cannot hold the loop.
        for (int i = 0; i < 10000 && !held_ && step(); ++i) any = true;
        if (held_) std::rethrow_exception(std::exchange(held_, nullptr));
        return any;
    }

protected:
    // One per process: throws std::logic_error ("a `kind` backend is already
    // open") while another lives.
    explicit NativeBackendBase(const char* kind);
    ~NativeBackendBase();

private:
    int toolkitCalls_ = 0;
    std::exception_ptr held_;
};

// `Window` is the backend's record of one form's native window.
template <class Window>
class NativeBackendState : public NativeBackendBase {
public:
    // The window of `form`, or null before its first Show and after its disposal.
    Window* WindowOf(const Form& form) {
        const auto found = windows_.find(&form);
        return found == windows_.end() ? nullptr : &found->second;
    }
    const Window* WindowOf(const Form& form) const {
        const auto found = windows_.find(&form);
        return found == windows_.end() ? nullptr : &found->second;
    }
    // A record for `form`'s new window; it stays at this address until taken.
    Window& AddWindow(const Form& form) { return windows_[&form]; }
    // Takes `form`'s window out, for the backend to release; nothing where it has none.
    std::optional<Window> TakeWindow(const Form& form) {
        const auto found = windows_.find(&form);
        if (found == windows_.end()) return std::nullopt;
        std::optional<Window> window(std::move(found->second));
        windows_.erase(found);
        return window;
    }
    // Takes every window out, at the backend's end.
    std::map<const Form*, Window> TakeWindows() { return std::exchange(windows_, {}); }

protected:
    using NativeBackendBase::NativeBackendBase;
    ~NativeBackendState() = default;

private:
    std::map<const Form*, Window> windows_;
};

}  // namespace forms
