#include "boundary/edge.h"

#if SORVALE_MSVC_ABI

#include <cstring>

namespace edge::detail {

namespace {

// Holds one reference to a kept object of the other party's.
class kept_reference {
public:
    explicit kept_reference(sorvale_edge_kept* p_kept) noexcept : m_kept(p_kept) {}
    kept_reference(const kept_reference& p_other) noexcept : m_kept(p_other.m_kept) {
        if (m_kept != nullptr) sorvale_edge_keep(m_kept);
    }
    kept_reference& operator=(const kept_reference&) = delete;
    ~kept_reference() {
        if (m_kept != nullptr) sorvale_edge_drop(m_kept);
    }
    // Another reference, for an error going back out.
    sorvale_edge_kept* share() const noexcept {
        sorvale_edge_keep(m_kept);
        return m_kept;
    }

private:
    sorvale_edge_kept* m_kept;
};

// The other party's error as one of ours: of the type at its place in the
// error tree, so that our handlers treat it as they would ours, carrying
// the other party's object and its text.
class kept_error_base {
public:
    kept_error_base(const sorvale_edge_error& p_error) noexcept : m_kept(p_error.kept), m_kind(p_error.kind) {}
    virtual ~kept_error_base() = default;
    sorvale_edge_error give_back(const char* p_message) const noexcept { return {m_kind, p_message, m_kept.share()}; }

private:
    kept_reference m_kept;
    int m_kind;
};

template <typename t_base>
class kept_error final : public t_base, public kept_error_base {
public:
    template <typename... t_args>
    kept_error(const sorvale_edge_error& p_error, t_args... p_args) noexcept
        : t_base(p_args...), kept_error_base(p_error), m_message(p_error.message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

template <typename t_base, typename... t_args>
[[noreturn]] void throw_as(const sorvale_edge_error& p_error, t_args... p_args) {
    if (p_error.kept == nullptr) throw t_base(p_args...);
    throw kept_error<t_base>(p_error, p_args...);
}

// An error of the other party's that our error tree has no place for.
class foreign_error : public std::exception {
public:
    explicit foreign_error(const char* p_message) noexcept : m_message(p_message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

// Our error tree's texts are static, except those of the standard library's
// own errors, which die with their exception object before the edge throws
// the other party's copy: they are copied here first (cut to fit).
sorvale_edge_error ours(int p_kind, const char* p_message) noexcept { return {p_kind, p_message, nullptr}; }
sorvale_edge_error ours_copied(const char* p_message) noexcept {
    thread_local char text[512];
    std::strncpy(text, p_message, sizeof text - 1);
    return {sorvale_edge_exception, text, nullptr};
}

// The exception being handled, as an edge error. Called in a catch block.
sorvale_edge_error current_error() noexcept {
    try {
        throw;
    } catch (const kept_error_base& error) {
        const auto* what = dynamic_cast<const std::exception*>(&error);
        return error.give_back(what != nullptr ? what->what() : "Unknown exception");
    } catch (const foobar2000_io::exception_io_data_truncation& error) {
        return ours(sorvale_edge_io_data_truncation, error.what());
    } catch (const foobar2000_io::exception_io_data& error) {
        return ours(sorvale_edge_io_data, error.what());
    } catch (const foobar2000_io::exception_io& error) {
        return ours(sorvale_edge_io, error.what());
    } catch (const std::bad_alloc&) {
        return ours(sorvale_edge_bad_alloc, "bad allocation");
    } catch (const pfc::exception_overflow&) {
        return ours(sorvale_edge_overflow, "Overflow");
    } catch (const pfc::exception_bug_check&) {
        return ours(sorvale_edge_bug_check, "Bug check");
    } catch (const exception_service_not_found&) {
        return ours(sorvale_edge_service_not_found, "Service not found");
    } catch (const exception_service_duplicated&) {
        return ours(sorvale_edge_service_duplicated, "Service duplicated");
    } catch (const std::exception& error) {
        return ours_copied(error.what());
    } catch (...) {
        return ours(sorvale_edge_unknown, "Unknown exception");
    }
}

// Leaves a slot's body however it ends.
class leave_on_exit {
public:
    leave_on_exit() = default;
    leave_on_exit(const leave_on_exit&) = delete;
    leave_on_exit& operator=(const leave_on_exit&) = delete;
    ~leave_on_exit() { sorvale_edge_leave(); }
};

}  // namespace

bool run_inbound(void (*p_fn)(void*), void* p_context, sorvale_edge_error& p_error) {
    const bool nested = sorvale_edge_enter() != 0;
    const leave_on_exit leave;
    if (nested) {
        p_fn(p_context);
        return true;
    }
    try {
        p_fn(p_context);
        return true;
    } catch (...) {
        p_error = current_error();
        return false;
    }
}

void raise(const sorvale_edge_error& p_error) {
    const char* message = p_error.message;
    switch (p_error.kind) {
        case sorvale_edge_io_data_truncation: throw_as<foobar2000_io::exception_io_data_truncation>(p_error);
        case sorvale_edge_io_data: throw_as<foobar2000_io::exception_io_data>(p_error, message);
        case sorvale_edge_io: throw_as<foobar2000_io::exception_io>(p_error, message);
        case sorvale_edge_bad_alloc: throw_as<pfc::bad_allocation>(p_error);
        case sorvale_edge_overflow: throw_as<pfc::exception_overflow>(p_error);
        case sorvale_edge_bug_check: throw_as<pfc::exception_bug_check>(p_error);
        case sorvale_edge_service_not_found: throw_as<exception_service_not_found>(p_error);
        case sorvale_edge_service_duplicated: throw_as<exception_service_duplicated>(p_error);
        default: throw_as<foreign_error>(p_error, message);
    }
}

}  // namespace edge::detail

#endif
