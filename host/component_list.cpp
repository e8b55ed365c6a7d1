#include "host/component_list.h"

#include "boundary/componentversion.h"
#include "boundary/edge_client.h"
#include "host/string_sink.h"

namespace host {

component_entry describe_component(const component_library& p_component) {
    component_entry entry;
    entry.file_name = p_component.file_name();
    for (const auto& factory : p_component.factories()) {
        if (!(factory.class_guid == componentversion::class_guid)) continue;
        edge::foreign<componentversion> proxy(*static_cast<componentversion*>(factory.service.get_ptr()));
        componentversion& version = proxy.get();
        string_sink text;
        version.get_file_name(text);
        entry.file_name = text.text();
        version.get_component_name(text);
        entry.name = text.text();
        version.get_component_version(text);
        entry.version = text.text();
        version.get_about_message(text);
        entry.about = text.text();
        entry.has_version_info = true;
        break;
    }
    return entry;
}

}  // namespace host
