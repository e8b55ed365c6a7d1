#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <optional>

#include "boundary/client.h"
#include "boundary/edge_client.h"
#include "host/registry.h"

namespace host {

// A component library that could not be loaded, with the reason in one line.
class load_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One loaded component library. Loading opens the library, calls its export
// with the host's API object and the library handle, checks the client
// version, passes the library's path and file name, switches services on and
// registers every service its factory list offers. Unloading switches
// services off, drops the host's references to the component's services and
// closes the library.
class component_library {
public:
    struct factory_entry {
        GUID class_guid;
        service_ptr_t<service_base> service;  // what instance_create handed out
    };

    // p_path is a file: a name without a folder is looked for in the current
    // folder, never on the library search path. Throws load_error for a
    // missing or unreadable file, a library without the export, or a client
    // version other than the one the host speaks.
    component_library(const std::string& p_path, foobar2000_api& p_api, registry& p_registry);
    component_library(const component_library&) = delete;
    component_library& operator=(const component_library&) = delete;
    ~component_library();

    // The client as the host calls it, across the edge.
    foobar2000_client& client() { return m_client->get(); }
    // The component's own client object, as the export answers it.
    const foobar2000_client* client_object() const { return m_client_object; }
    // The library's export, for calling it again.
    foobar2000_get_interface_t entry() const { return m_entry; }
    // The loader's handle of the library (on Windows, its module handle).
    HINSTANCE handle() const { return m_handle; }
    // The path as opened ("./" before a bare name).
    const std::string& path() const { return m_path; }
    const std::string& file_name() const { return m_file_name; }
    // The component's services in factory-list order, head first.
    const std::vector<factory_entry>& factories() const { return m_factories; }

    // Drops the host's references and closes the library; idempotent.
    void unload();

private:
    std::string m_path;
    std::string m_file_name;
    HINSTANCE m_handle = nullptr;
    foobar2000_client* m_client_object = nullptr;
    std::optional<edge::foreign<foobar2000_client>> m_client;
    foobar2000_get_interface_t m_entry = nullptr;
    std::vector<factory_entry> m_factories;
    registry* m_registry;
};

}  // namespace host
