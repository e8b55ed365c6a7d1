#pragma once

#include <cassert>

#include "support/guid.h"
#include "support/types.h"

// The service model shared by the host and the component: the root interface,
// the counted handle, and how an object answers a request for an interface.
//
// Reference rules. A service_ptr_t owns exactly one reference to the object it
// holds: copying takes one (service_add_ref), destroying or emptying drops it
// (service_release). A raw pointer never owns. Objects that live as long as
// the library (the component's services) count nothing: their add-ref and
// release answer 1 and do nothing.
//
// Slot contracts. Every interface that crosses the boundary gives each slot
// one line: what it does, who owns what passes, and these tags (on the class
// comment when they hold for every slot):
//   [ui-thread]  called only on the host's user-interface thread, the one that
//                runs the window's message loop, and never concurrently with
//                another call into the component. The component takes no
//                locks and relies on this alone.
//   [nothrow]    raises nothing.
//   [throws: X]  X may leave the slot; "host errors" are whatever the host's
//                own operations called on the way raise, passed on unchanged.
// "Acquisition errors" are those of reaching a host API (service_api.h):
// exception_service_not_found, exception_service_duplicated and
// pfc::exception_bug_check.

class service_base;

template <typename T>
class service_ptr_t {
public:
    service_ptr_t() noexcept = default;
    // Takes a reference of its own; the caller's, if any, stays the caller's.
    service_ptr_t(T* p_ptr) noexcept : m_ptr(p_ptr) { add_ref(m_ptr); }
    service_ptr_t(const service_ptr_t& p_source) noexcept : m_ptr(p_source.m_ptr) { add_ref(m_ptr); }
    template <typename U>
    service_ptr_t(const service_ptr_t<U>& p_source) noexcept : m_ptr(p_source.get_ptr()) {
        add_ref(m_ptr);
    }
    // A move hands the source's reference over: no count changes, and the
    // source is left empty. Containers of handles move them when they grow or
    // close a gap, so that costs no call on the objects.
    service_ptr_t(service_ptr_t&& p_source) noexcept : m_ptr(p_source.detach()) {}
    template <typename U>
    service_ptr_t(service_ptr_t<U>&& p_source) noexcept : m_ptr(p_source.detach()) {}
    ~service_ptr_t() { release(); }

    // The new object gains its reference before the old one loses its own, so
    // assigning a handle its own object never lets the count reach zero.
    service_ptr_t& operator=(const service_ptr_t& p_source) noexcept { return *this = p_source.m_ptr; }
    service_ptr_t& operator=(T* p_ptr) noexcept {
        add_ref(p_ptr);
        T* old = m_ptr;
        m_ptr = p_ptr;
        if (old != nullptr) old->service_release();
        return *this;
    }

    // Takes the source's reference and drops the one held before. Moving a
    // handle into itself keeps its reference.
    service_ptr_t& operator=(service_ptr_t&& p_source) noexcept {
        attach(p_source.detach());
        return *this;
    }

    // Drops the reference, if any; the handle is empty afterwards.
    void release() noexcept {
        T* old = m_ptr;
        m_ptr = nullptr;
        if (old != nullptr) old->service_release();
    }

    // Takes over a reference the caller already owns (no add-ref); the object
    // held before is released.
    void attach(T* p_ptr) noexcept {
        T* old = m_ptr;
        m_ptr = p_ptr;
        if (old != nullptr) old->service_release();
    }

    // Hands the reference to the caller, who must release it; the handle is empty.
    T* detach() noexcept {
        T* ptr = m_ptr;
        m_ptr = nullptr;
        return ptr;
    }

    T* get_ptr() const noexcept { return m_ptr; }
    T* operator->() const noexcept {
        assert(m_ptr != nullptr && "service handle is empty");
        return m_ptr;
    }
    T& operator*() const noexcept {
        assert(m_ptr != nullptr && "service handle is empty");
        return *m_ptr;
    }
    bool is_valid() const noexcept { return m_ptr != nullptr; }
    bool is_empty() const noexcept { return m_ptr == nullptr; }

private:
    static void add_ref(T* p_ptr) noexcept {
        if (p_ptr != nullptr) p_ptr->service_add_ref();
    }

    T* m_ptr = nullptr;
};

static_assert(sizeof(service_ptr_t<service_base>) == sizeof(void*), "a handle is one pointer");

// Root of every service interface. Slots, in binary order:
class service_base {
public:
    // Drops one reference; answers the count left, which callers never use.
    // [nothrow] [any thread: the component's objects count nothing, and the
    // host keeps its own counts safe]
    virtual t_int32 service_release() noexcept = 0;
    // Takes one reference; answers the new count. [nothrow] [any thread]
    virtual t_int32 service_add_ref() noexcept = 0;
    // Fills p_out with this object (p_out takes one reference) and answers
    // true when p_guid names the object's interface; otherwise answers false
    // and leaves p_out alone. [ui-thread] [nothrow]
    virtual bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) = 0;

protected:
    // Nobody deletes a service through an interface.
    ~service_base() = default;
};

// How every interface answers service_query: its own class GUID only.
template <typename t_interface>
bool service_query_self(t_interface& p_self, service_ptr_t<service_base>& p_out, const GUID& p_guid) {
    if (!(p_guid == t_interface::class_guid)) return false;
    p_out = &p_self;
    return true;
}

// Declares the members every interface has: its class GUID, its own name as
// t_interface (so a service class knows what it implements), and the
// service_query that answers that GUID.
#define SORVALE_INTERFACE(name)                                                                 \
public:                                                                                         \
    using t_interface = name;                                                                   \
    static const GUID class_guid;                                                               \
    bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) override {       \
        return service_query_self<name>(*this, p_out, p_guid);                                  \
    }
