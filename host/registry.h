#pragma once

#include <memory>
#include <vector>

#include "boundary/service.h"

namespace host {

// The host's service registry: for each interface class GUID, its
// implementations in the order they were registered. Holds one reference to
// each service until cleared.
class registry {
public:
    struct service_class {
        GUID guid;
        std::vector<service_ptr_t<service_base>> services;
    };

    // The class entry for p_guid, created empty on first use; entries never move.
    service_class& find_class(const GUID& p_guid);
    const service_class* find_existing(const GUID& p_guid) const;

    // p_foreign: the service is a component's, called across the edge
    // (edge.h); the host's own services are called as they are.
    void add(const GUID& p_guid, service_base* p_service, bool p_foreign = false);
    bool is_foreign(const service_base* p_service) const;

    // Every service of the class, in registration order.
    const std::vector<service_ptr_t<service_base>>& services_of(const GUID& p_guid);

    // Drops the registry's references to p_service, in every class.
    void remove(const service_base* p_service);

    // Drops every reference the registry holds, last registered first.
    void clear();

private:
    std::vector<std::unique_ptr<service_class>> m_classes;
    std::vector<const service_base*> m_foreign;
};

}  // namespace host
