#include "host/registry.h"

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
}

void registry::clear() {
    for (auto it = m_classes.rbegin(); it != m_classes.rend(); ++it) {
        auto& services = (*it)->services;
        while (!services.empty()) services.pop_back();
    }
}

}  // namespace host
