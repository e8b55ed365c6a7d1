#pragma once

#include <string>

// The message of the exception of type E that p_action throws, or "(no error)".
template <typename E, typename F>
std::string message_of(F&& p_action) {
    try {
        p_action();
    } catch (const E& e) {
        return e.what();
    }
    return "(no error)";
}
