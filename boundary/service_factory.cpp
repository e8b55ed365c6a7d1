#include "boundary/service_factory.h"

#include "boundary/edge.h"
#include "boundary/globals.h"
#include "support/exceptions.h"

constinit foobar2000_api* g_api = nullptr;
constinit service_factory_base* service_factory_base::__internal__list = nullptr;

namespace {

// The registry lives in the host; before the export has handed over the API
// object there is nothing to ask.
foobar2000_api& host_api() {
    if (g_api == nullptr) throw exception_service_not_found();
    return *g_api;
}

}  // namespace

service_class_handle service_factory_base::enum_find_class(const GUID& p_guid) {
    foobar2000_api& api = host_api();
    return edge::outbound([&] { return api.host_find_class(p_guid); });
}

bool service_factory_base::enum_create(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                                       t_size p_index) {
    foobar2000_api& api = host_api();
    return edge::outbound([&] { return api.host_create_instance(p_out, p_class, p_index); });
}

t_size service_factory_base::enum_get_count(service_class_handle p_class) {
    foobar2000_api& api = host_api();
    return edge::outbound([&] { return api.host_get_instance_count(p_class); });
}
