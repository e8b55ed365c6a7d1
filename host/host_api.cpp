#include "host/host_api.h"

#include "boundary/edge.h"

namespace host {

namespace {

registry::service_class& as_class(service_class_handle p_class) {
    return *reinterpret_cast<registry::service_class*>(p_class);
}

}  // namespace

// Every slot is called by components, across the edge.
service_class_handle host_api::host_find_class(const GUID& p_guid) {
    return edge::inbound([&] {
        ++m_calls.find_class;
        return reinterpret_cast<service_class_handle>(&m_registry.find_class(p_guid));
    });
}

bool host_api::host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                                    t_size p_index) {
    return edge::inbound([&] {
        ++m_calls.create_instance;
        if (p_class == nullptr) return false;
        if (m_fail_next_create) {
            m_fail_next_create = false;
            return false;
        }
        auto& services = as_class(p_class).services;
        if (p_index >= services.size()) return false;
        p_out = services[p_index];
        return true;
    });
}

t_size host_api::host_get_instance_count(service_class_handle p_class) {
    return edge::inbound([&] {
        ++m_calls.get_instance_count;
        if (p_class == nullptr) return t_size{0};
        return static_cast<t_size>(as_class(p_class).services.size());
    });
}

}  // namespace host
