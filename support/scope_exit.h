#pragma once

#include <type_traits>
#include <utility>

namespace pfc {

// Runs an action when the scope that holds the guard ends, on every path out
// of it, an exception's included. The destructor is noexcept: an action that
// throws while an exception is already on its way has nowhere to go, so a
// throwing action ends the program instead of hiding the first error.
//
//     track->lock_info();
//     const pfc::on_scope_exit unlock([track]() noexcept { track->unlock_info(); });
template <typename t_action>
class [[nodiscard]] on_scope_exit {
public:
    explicit on_scope_exit(t_action p_action) noexcept(std::is_nothrow_move_constructible_v<t_action>)
        : m_action(std::move(p_action)) {}
    on_scope_exit(const on_scope_exit&) = delete;
    on_scope_exit& operator=(const on_scope_exit&) = delete;
    ~on_scope_exit() noexcept {
        if (m_armed) m_action();
    }

    // The action will not run: the caller has done its work another way.
    void release() noexcept { m_armed = false; }

private:
    t_action m_action;
    bool m_armed = true;
};

}  // namespace pfc
