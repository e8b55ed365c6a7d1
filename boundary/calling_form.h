#pragma once

#include <new>
#include <type_traits>
#include <utility>

#include "boundary/service.h"

// The binary interface each build speaks with its host, and the two slot
// forms in which it differs from GCC's.
//
// On Linux the host is ours and built by GCC: the Itanium C++ ABI throughout.
// On Windows the host is a program built by Microsoft's compiler, and
// SORVALE_MSVC_ABI is 1: every party (the component, the stand-in host and the
// tests that call slots) speaks Microsoft's ABI at the slots. GCC and
// Microsoft agree on the slot order of these interfaces (no virtual
// destructors, no overloaded virtual names) and on passing scalars, pointers
// and references, on x64 and on x86 (`__thiscall`). They part ways on:
//
// 1. A struct answered by value (mainmenu_commands' GUIDs). Microsoft passes
//    `this`, then the address of the caller's buffer, and answers that
//    address; GCC would pass the buffer first. On Windows such a slot is
//    declared with the buffer spelled out (SORVALE_STRUCT_SLOT), which GCC
//    then passes where Microsoft does, on both architectures; the interface
//    gives callers the plain form beside it.
// 2. A counted handle passed by value (execute's callback). Microsoft's
//    callee destroys the copy: x64 passes the address of the caller's copy,
//    x86 lays the copy's bytes in the argument area; GCC's caller destroys
//    it. The parameter is declared as calling_form::by_value<T>, which is that form on
//    each architecture; the callee takes the reference out with take(), the
//    caller passes calling_form::by_value_copy.
//
// Exceptions differ too, and never cross a slot: see edge.h.

#if defined(_WIN32)
#define SORVALE_MSVC_ABI 1
#else
#define SORVALE_MSVC_ABI 0
#endif

// Declares (or, with a class name, defines) a slot that answers a struct by
// value; SORVALE_STRUCT_RETURN gives its result.
#if SORVALE_MSVC_ABI
#define SORVALE_STRUCT_SLOT(type, name, ...) type* name(type* p_result __VA_OPT__(, ) __VA_ARGS__)
#define SORVALE_STRUCT_RETURN(value) return (*p_result = (value), p_result)
#else
#define SORVALE_STRUCT_SLOT(type, name, ...) type name(__VA_ARGS__)
#define SORVALE_STRUCT_RETURN(value) return (value)
#endif

namespace calling_form {

#if defined(_WIN64)

// x64: the address of the caller's copy, which the callee destroys. Taking
// the reference out leaves that copy empty, and an empty handle has nothing
// to destroy.
template <typename T>
class by_value {
public:
    service_ptr_t<T> take() noexcept { return std::move(*m_copy); }

private:
    template <typename>
    friend class by_value_copy;
    explicit by_value(service_ptr_t<T>* p_copy) noexcept : m_copy(p_copy) {}
    service_ptr_t<T>* m_copy;
};

// The caller's copy, in storage of its own that the caller never destroys:
// the callee has. Lives until the end of the call's full expression.
template <typename T>
class by_value_copy {
public:
    explicit by_value_copy(const service_ptr_t<T>& p_handle) noexcept { new (m_storage) service_ptr_t<T>(p_handle); }
    by_value_copy(const by_value_copy&) = delete;
    by_value_copy& operator=(const by_value_copy&) = delete;
    operator by_value<T>() noexcept { return by_value<T>(std::launder(reinterpret_cast<service_ptr_t<T>*>(m_storage))); }

private:
    alignas(service_ptr_t<T>) unsigned char m_storage[sizeof(service_ptr_t<T>)];
};

#elif defined(_WIN32)

// x86: the copy's bytes in the argument area, which is the callee's to destroy.
template <typename T>
class by_value {
public:
    service_ptr_t<T> take() noexcept {
        service_ptr_t<T> handle;
        handle.attach(m_object);
        return handle;
    }

private:
    template <typename>
    friend class by_value_copy;
    explicit by_value(T* p_object) noexcept : m_object(p_object) {}
    T* m_object;
};

template <typename T>
class by_value_copy {
public:
    explicit by_value_copy(const service_ptr_t<T>& p_handle) noexcept : m_handle(p_handle) {}
    by_value_copy(const by_value_copy&) = delete;
    by_value_copy& operator=(const by_value_copy&) = delete;
    // Hands the copy's reference to the callee.
    operator by_value<T>() noexcept { return by_value<T>(m_handle.detach()); }

private:
    service_ptr_t<T> m_handle;
};

#else

// GCC's own form: the handle itself, its copy destroyed by the caller.
template <typename T>
class by_value : public service_ptr_t<T> {
public:
    using service_ptr_t<T>::service_ptr_t;
    by_value(const service_ptr_t<T>& p_handle) noexcept : service_ptr_t<T>(p_handle) {}
    service_ptr_t<T> take() noexcept { return std::move(*this); }
};

#endif

#if SORVALE_MSVC_ABI
static_assert(std::is_trivially_copyable_v<by_value<service_base>> && sizeof(by_value<service_base>) == sizeof(void*),
              "passed as Microsoft passes a handle by value: one pointer-sized value");
#endif

}  // namespace calling_form
