#pragma once

#include <exception>
#include <new>

// The component's error types. Each carries a fixed static message: creating
// or copying an error allocates nothing, so out-of-memory can be raised while
// the heap is exhausted, and a copy made by a throw answers the same text.

namespace pfc {

// Out of memory. The standard type's own message is implementation-defined;
// callers that catch std::bad_alloc still catch this, and read this text.
class bad_allocation : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "bad allocation"; }
};

class exception_overflow : public std::exception {
public:
    const char* what() const noexcept override { return "Overflow"; }
};

class exception_bug_check : public std::exception {
public:
    const char* what() const noexcept override { return "Bug check"; }
};

[[noreturn]] inline void throw_bad_alloc() { throw bad_allocation(); }

}  // namespace pfc

class exception_service_not_found : public std::exception {
public:
    const char* what() const noexcept override { return "Service not found"; }
};

class exception_service_duplicated : public std::exception {
public:
    const char* what() const noexcept override { return "Service duplicated"; }
};

namespace foobar2000_io {

// Stream errors. The raiser chooses the message of the two general types; the
// text must be static, since only the pointer is kept.
class exception_io : public std::exception {
public:
    explicit exception_io(const char* p_message = "I/O error") noexcept : m_message(p_message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message;
};

class exception_io_data : public exception_io {
public:
    explicit exception_io_data(const char* p_message = "Unsupported format or corrupted file") noexcept
        : exception_io(p_message) {}
};

class exception_io_data_truncation : public exception_io_data {
public:
    exception_io_data_truncation() noexcept : exception_io_data("Unsupported format or corrupted file") {}
};

}  // namespace foobar2000_io
