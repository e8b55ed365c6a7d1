#pragma once

#include <functional>

#include "boundary/client.h"
#include "host/registry.h"

namespace host {

// The API object the host hands to every component it loads: the registry's
// three lookups and the command gate. Lives as long as the host.
class host_api : public foobar2000_api {
public:
    explicit host_api(registry& p_registry) : m_registry(p_registry) {}

    service_class_handle host_find_class(const GUID& p_guid) override;
    bool host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                              t_size p_index) override;
    t_size host_get_instance_count(service_class_handle p_class) override;
    void host_reserved() override {}
    bool host_gate_check() override {
        ++m_calls.gate_check;
        return m_gate;
    }

    // Whether commands may act now; yes unless told otherwise.
    void set_gate(bool p_open) { m_gate = p_open; }

    // How many times the component asked the registry, per operation.
    struct call_counts {
        unsigned find_class = 0;
        unsigned create_instance = 0;
        unsigned get_instance_count = 0;
        unsigned gate_check = 0;
    };
    const call_counts& calls() const { return m_calls; }

    // A registry that fails on purpose: the next create answers false.
    void fail_next_create() { m_fail_next_create = true; }

private:
    registry& m_registry;
    bool m_gate = true;
    bool m_fail_next_create = false;
    call_counts m_calls;
};

}  // namespace host
