#include "host/application.h"

namespace host {

application::application() : m_api(m_registry) {}

application::~application() { shutdown(); }

component_library& application::load_component(const std::string& p_path) {
    m_components.push_back(std::make_unique<component_library>(p_path, m_api, m_registry));
    return *m_components.back();
}

void application::shutdown() {
    while (!m_components.empty()) m_components.pop_back();
    m_registry.clear();
}

}  // namespace host
