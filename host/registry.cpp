#include "host/registry.h"

#include <algorithm>

namespace host {

registry::service_class& registry::find_class(const GUID& p_guid) {
    for (auto& entry : m_classes) {
        if (entry->guid == p_guid) return *entry;
    }
    m_classes.push_back(std::make_unique<service_class>(service_class{p_guid, {}}));
    return *m_classes.back();
}

const registry::service_class* registry::find_existing(const GUID& p_guid) const {
    for (const auto& entry : m_classes) {
        if (entry->guid == p_guid) return entry.get();
    }
    return nullptr;
}

void registry::add(const GUID& p_guid, service_base* p_service, bool p_foreign) {
    find_class(p_guid).services.emplace_back(p_service);
    if (p_foreign) m_foreign.push_back(p_service);
}

bool registry::is_foreign(const service_base* p_service) const {
    return std::find(m_foreign.begin(), m_foreign.end(), p_service) != m_foreign.end();
}

const std::vector<service_ptr_t<service_base>>& registry::services_of(const GUID& p_guid) {
    return find_class(p_guid).services;
}

void registry::remove(const service_base* p_service) {
    for (auto& entry : m_classes) {
        auto& services = entry->services;
        for (auto it = services.begin(); it != services.end();) {
            it = it->get_ptr() == p_service ? services.erase(it) : it + 1;
        }
    }
    std::erase(m_foreign, p_service);
}

void registry::clear() {
    for (auto it = m_classes.rbegin(); it != m_classes.rend(); ++it) {
        auto& services = (*it)->services;
        while (!services.empty()) services.pop_back();
    }
    m_foreign.clear();
}

}  // namespace host
