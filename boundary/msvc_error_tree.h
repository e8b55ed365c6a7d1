// The component's error tree as a host built by Microsoft's compiler declares
// it, for the code compiled in Microsoft's C++ binary interface (the edge's
// half, edge_msvc.cpp, and the tests' party built the same way): Microsoft's
// runtime catches by decorated type name, so these types are the host's.
// Compiled by clang for the MSVC targets only, with no C++ standard library.
#pragma once

using size_t = decltype(sizeof 0);

extern "C" {
void* malloc(size_t);
void free(void*);
void* memcpy(void*, const void*, size_t);
size_t strlen(const char*);
}

// std::exception as Microsoft's standard library lays it out: the table
// pointer, the message, whether the object owns the message; slots (scalar
// deleting) destructor, then what.
namespace std {
class exception {
public:
    exception() noexcept : m_what(nullptr), m_owned(false) {}
    explicit exception(const char* p_what, bool p_copy = false) noexcept : m_what(p_what), m_owned(false) {
        if (p_copy && p_what != nullptr) own(p_what);
    }
    exception(const exception& p_other) noexcept : m_what(p_other.m_what), m_owned(false) {
        if (p_other.m_owned) own(p_other.m_what);
    }
    exception& operator=(const exception&) = delete;
    virtual ~exception() noexcept {
        if (m_owned) free(const_cast<char*>(m_what));
    }
    virtual const char* what() const { return m_what != nullptr ? m_what : "Unknown exception"; }

private:
    // A text of the GCC side's that dies with its exception: copied. Without
    // memory the type and the kind stay, and what() says so.
    void own(const char* p_what) noexcept {
        const size_t length = strlen(p_what) + 1;
        char* copy = static_cast<char*>(malloc(length));
        m_what = copy != nullptr ? static_cast<const char*>(memcpy(copy, p_what, length)) : nullptr;
        m_owned = copy != nullptr;
    }

    const char* m_what;
    bool m_owned;
};

class bad_alloc : public exception {
public:
    bad_alloc() noexcept : exception("bad allocation") {}
};
}  // namespace std

namespace pfc {
class exception_overflow : public std::exception {
public:
    exception_overflow() noexcept : std::exception("Overflow") {}
};
class exception_bug_check : public std::exception {
public:
    exception_bug_check() noexcept : std::exception("Bug check") {}
};
}  // namespace pfc

class exception_service_not_found : public std::exception {
public:
    exception_service_not_found() noexcept : std::exception("Service not found") {}
};
class exception_service_duplicated : public std::exception {
public:
    exception_service_duplicated() noexcept : std::exception("Service duplicated") {}
};

namespace foobar2000_io {
class exception_io : public std::exception {
public:
    explicit exception_io(const char* p_what) noexcept : std::exception(p_what) {}
};
class exception_io_data : public exception_io {
public:
    explicit exception_io_data(const char* p_what) noexcept : exception_io(p_what) {}
};
class exception_io_data_truncation : public exception_io_data {
public:
    exception_io_data_truncation() noexcept : exception_io_data("Unsupported format or corrupted file") {}
};
}  // namespace foobar2000_io
