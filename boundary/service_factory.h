#pragma once

#include "boundary/service.h"

// An opaque name for one interface class in the host's registry.
struct service_class_opaque;
using service_class_handle = service_class_opaque*;

// One node of the component's registry: an intrusive list of static factories
// whose head the client object hands to the host. The host follows m_next from
// the head, reads each node's interface from m_guid and obtains the service
// through instance_create. Nodes link themselves in as the first step of their
// construction and never leave.
class service_factory_base {
public:
    // Fills p_out with the factory's service object, the same one every time;
    // the reference p_out takes counts nothing. [ui-thread] [nothrow]
    virtual void instance_create(service_ptr_t<service_base>& p_out) = 0;

    service_factory_base* get_next() const noexcept { return m_next; }
    const GUID& get_class_guid() const noexcept { return m_guid; }

    // The host's registry, reached through the API object kept by the export.
    // Before the export has run there is no registry to ask: every lookup then
    // fails with "Service not found". [ui-thread] [throws: that, host errors]
    static service_class_handle enum_find_class(const GUID& p_guid);
    // As host_create_instance (client.h): on true p_out owns the host's reference.
    static bool enum_create(service_ptr_t<service_base>& p_out, service_class_handle p_class, t_size p_index);
    static t_size enum_get_count(service_class_handle p_class);

    // The most recently linked factory; null at load. Constant-initialised
    // (service_factory.cpp), so it is null before the first factory's
    // constructor runs, whichever file that factory is defined in.
    static constinit service_factory_base* __internal__list;

protected:
    // Links in first: the factory is in the list before its service object
    // is constructed. Nothing unlinks it, so it must outlive every reader.
    explicit service_factory_base(const GUID& p_guid) noexcept : m_next(__internal__list), m_guid(p_guid) {
        __internal__list = this;
    }
    ~service_factory_base() = default;

private:
    service_factory_base* m_next;
    const GUID& m_guid;
};

// The host reads the two fields after the table pointer.
static_assert(sizeof(service_factory_base) == 3 * sizeof(void*));

// Binds a factory to the class GUID of interface I.
template <typename I>
class service_factory_base_t : public service_factory_base {
protected:
    service_factory_base_t() noexcept : service_factory_base(I::class_guid) {}
    ~service_factory_base_t() = default;
};

// A static service object: it lives as long as the library, so its references
// count nothing and it is safe to add-ref and release from any thread.
template <typename X>
class service_impl_single_t : public X {
public:
    using X::X;
    t_int32 service_release() noexcept override { return 1; }
    t_int32 service_add_ref() noexcept override { return 1; }
};

// A factory that holds its service object as a member, constructed after the
// factory has linked itself in.
template <typename X>
class service_factory_single_t : public service_factory_base_t<typename X::t_interface> {
public:
    void instance_create(service_ptr_t<service_base>& p_out) override { p_out = &m_instance; }
    X& get_static_instance() noexcept { return m_instance; }

private:
    service_impl_single_t<X> m_instance;
};

// A factory that is itself the service object.
template <typename X>
class service_factory_single_transparent_t : public service_factory_base_t<typename X::t_interface>,
                                             public service_impl_single_t<X> {
public:
    using service_impl_single_t<X>::service_impl_single_t;
    void instance_create(service_ptr_t<service_base>& p_out) override {
        p_out = static_cast<service_impl_single_t<X>*>(this);
    }
};

template <typename X>
class initquit_factory_t : public service_factory_single_t<X> {};

template <typename X>
class mainmenu_commands_factory_t : public service_factory_single_t<X> {};
