#pragma once

#include <utility>

#include "host/registry.h"
#include "integration/edge_services.h"

namespace host {

// Calls p_call with the service p_service as an I the host's code can call:
// a component's (registered as foreign) through the edge, one of the host's
// own as it is.
template <typename I, typename F>
decltype(auto) call_service(const registry& p_registry, service_base* p_service, F&& p_call) {
    I& service = *static_cast<I*>(p_service);
    if (!p_registry.is_foreign(p_service)) return std::forward<F>(p_call)(service);
    edge::foreign<I> proxy(service);
    return std::forward<F>(p_call)(proxy.get());
}

}  // namespace host
