// Events, their argument records, and the key codes.
//
// Event arguments are plain records with public fields (`e.KeyCode`, `e.Handled = true`);
// everything else in the toolkit is read and written through methods.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace forms {

// Root of everything that can send an event.
class Object {
public:
    virtual ~Object() = default;
};

struct EventArgs {
    virtual ~EventArgs() = default;
};

// A multicast event. Handlers run in the order they were connected, on the UI thread.
// `Args` carries its own constness: Event<const EventArgs> hands handlers a const
// reference, Event<KeyEventArgs> a mutable one so they can set Handled.
// A handler connected while the event is being raised runs from the next raise on.
template <class Args>
class Event {
public:
    using Handler = std::function<void(Object& sender, Args& e)>;

    Event& operator+=(Handler handler) {
        handlers_.push_back(std::move(handler));
        return *this;
    }
    void Raise(Object& sender, Args& e) const {
        // Index, not iterator: a handler may connect another one and grow the vector.
        const std::size_t count = handlers_.size();
        for (std::size_t i = 0; i < count; ++i) {
            // A copy: the handler may connect or clear and so move the original.
            Handler handler = handlers_[i];
            handler(sender, e);
        }
    }
    bool Empty() const { return handlers_.empty(); }
    void Clear() { handlers_.clear(); }

private:
    std::vector<Handler> handlers_;
};

// Key codes with modifier bits, numbered as the desktop's virtual keys.
enum class Keys : std::int32_t {
    None = 0,
    Back = 8,
    Tab = 9,
    Enter = 13,
    Return = 13,
    ShiftKey = 16,
    ControlKey = 17,
    Menu = 18,
    Escape = 27,
    Space = 32,
    PageUp = 33,
    Prior = 33,
    PageDown = 34,
    Next = 34,
    End = 35,
    Home = 36,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Insert = 45,
    Delete = 46,
    D0 = 48,
    A = 65,
    Z = 90,
    F1 = 112,
    F12 = 123,
    KeyCode = 0x0000FFFF,
    Shift = 0x00010000,
    Control = 0x00020000,
    Alt = 0x00040000,
    Modifiers = static_cast<std::int32_t>(0xFFFF0000u),
};

constexpr Keys operator|(Keys a, Keys b) { return static_cast<Keys>(static_cast<std::int32_t>(a) | static_cast<std::int32_t>(b)); }
constexpr Keys operator&(Keys a, Keys b) { return static_cast<Keys>(static_cast<std::int32_t>(a) & static_cast<std::int32_t>(b)); }
constexpr bool HasFlag(Keys value, Keys flag) { return (value & flag) == flag && flag != Keys::None; }

struct KeyEventArgs : EventArgs {
    explicit KeyEventArgs(Keys keyData)
        : KeyData(keyData),
          KeyCode(keyData & Keys::KeyCode),
          Modifiers(keyData & Keys::Modifiers),
          Shift(HasFlag(keyData, Keys::Shift)),
          Control(HasFlag(keyData, Keys::Control)),
          Alt(HasFlag(keyData, Keys::Alt)) {}
    const Keys KeyData;
    const Keys KeyCode;
    const Keys Modifiers;
    const bool Shift;
    const bool Control;
    const bool Alt;
    // Set by a handler to stop the key here: the focused control's own handling is skipped.
    bool Handled = false;
};

enum class MouseButtons { None = 0, Left = 0x100000, Right = 0x200000 };

struct MouseEventArgs : EventArgs {
    MouseEventArgs(MouseButtons button, int x, int y) : Button(button), X(x), Y(y) {}
    const MouseButtons Button;
    const int X;
    const int Y;
};

enum class CloseReason { None = 0, UserClosing = 3, ApplicationExitCall = 6 };

struct FormClosingEventArgs : EventArgs {
    explicit FormClosingEventArgs(forms::CloseReason reason) : CloseReason(reason) {}
    const forms::CloseReason CloseReason;
    bool Cancel = false;
};

struct FormClosedEventArgs : EventArgs {
    explicit FormClosedEventArgs(forms::CloseReason reason) : CloseReason(reason) {}
    const forms::CloseReason CloseReason;
};

enum class DialogResult { None = 0, OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

enum class DockStyle { None = 0, Top = 1, Bottom = 2, Left = 3, Right = 4, Fill = 5 };

}  // namespace forms
