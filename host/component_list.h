#pragma once

#include <string>

#include "host/component_library.h"

namespace host {

// What the host's component list shows for one component.
struct component_entry {
    std::string file_name;
    std::string name;
    std::string version;
    std::string about;
    bool has_version_info = false;  // false: the component offers no componentversion service
};

// Asks the component's componentversion service for its four texts; a
// component without one is listed by the file name the host knows.
component_entry describe_component(const component_library& p_component);

}  // namespace host
