#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/component_library.h"
#include "host/host_api.h"
#include "host/registry.h"

namespace host {

// The host: its registry and API object, and the components it has loaded.
// Everything runs on the thread that owns it, the host's UI thread.
class application {
public:
    application();
    application(const application&) = delete;
    application& operator=(const application&) = delete;
    ~application();

    // Loads a component library; load_error says why it could not.
    component_library& load_component(const std::string& p_path);
    const std::vector<std::unique_ptr<component_library>>& components() const { return m_components; }

    registry& services() { return m_registry; }
    host_api& api() { return m_api; }

    // Unloads every component, last loaded first.
    void shutdown();

private:
    registry m_registry;
    host_api m_api;
    std::vector<std::unique_ptr<component_library>> m_components;
};

}  // namespace host
