#pragma once

#include "boundary/service_factory.h"
#include "support/exceptions.h"

// Acquiring the host's own services through its registry. Everything here
// calls the host through g_api and runs on the host's UI thread; the
// acquisition errors ("Service not found", "Service duplicated", "Bug check")
// and the host's own go to the caller, with no reference left behind.

// The registry's handle for interface T, looked up once when made.
template <typename T>
class service_class_helper_t {
public:
    service_class_helper_t() : m_class(service_factory_base::enum_find_class(T::class_guid)) {}

    // Fills p_out with implementation p_index and answers true, or answers
    // false and leaves p_out untouched. The host's reference passes to p_out,
    // used as a T without a service_query: the host answers the class it was
    // asked for. Whatever the host left behind on false is released.
    bool create(service_ptr_t<T>& p_out, t_size p_index) {
        service_ptr_t<service_base> temp;
        if (!service_factory_base::enum_create(temp, m_class, p_index)) return false;
        p_out.attach(static_cast<T*>(temp.detach()));
        return true;
    }

    // Implementation p_index; "Bug check" when the host cannot create it.
    service_ptr_t<T> create(t_size p_index) {
        service_ptr_t<T> result;
        if (!create(result, p_index)) throw pfc::exception_bug_check();
        return result;
    }

    t_size get_count() const { return service_factory_base::enum_get_count(m_class); }

private:
    service_class_handle m_class;
};

// The host's single implementation of T: "Service not found" when it has
// none, "Service duplicated" when it has several.
template <typename T>
service_ptr_t<T> standard_api_create_t() {
    service_class_helper_t<T> helper;
    const t_size count = helper.get_count();
    if (count == 0) throw exception_service_not_found();
    if (count > 1) throw exception_service_duplicated();
    return helper.create(0);
}

// Holds one reference to the host's single implementation of T for as long as
// the operation that made it runs, and releases it also when an error passes.
// Make one just before first use and let it end with the operation: every
// acquisition asks the registry afresh (three host calls, one release). The
// host guarantees a non-null object whenever it answers true to a create.
template <typename T>
class static_api_ptr_t {
public:
    static_api_ptr_t() : m_ptr(standard_api_create_t<T>().detach()) {}
    static_api_ptr_t(const static_api_ptr_t&) = delete;
    static_api_ptr_t& operator=(const static_api_ptr_t&) = delete;
    ~static_api_ptr_t() { m_ptr->service_release(); }

    T* operator->() const noexcept { return m_ptr; }
    T* get_ptr() const noexcept { return m_ptr; }

private:
    T* m_ptr;
};
