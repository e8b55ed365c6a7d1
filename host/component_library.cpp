#include "host/component_library.h"

#include "host/dynamic_library.h"

namespace host {

namespace {

#if defined(_WIN32)
constexpr const char* folder_separators = "/\\:";
#else
constexpr const char* folder_separators = "/";
#endif

std::string file_name_of(const std::string& p_path) {
    const auto slash = p_path.find_last_of(folder_separators);
    return slash == std::string::npos ? p_path : p_path.substr(slash + 1);
}

// A path without a folder names a file in the current folder, as any other
// file argument does; the loader would look such a name up on the library
// search path instead, and load whatever library of that name it finds there.
std::string as_file_path(const std::string& p_path) {
    return p_path.find_first_of(folder_separators) == std::string::npos ? "./" + p_path : p_path;
}

}  // namespace

component_library::component_library(const std::string& p_path, foobar2000_api& p_api, registry& p_registry)
    : m_path(as_file_path(p_path)), m_file_name(file_name_of(p_path)), m_registry(&p_registry) {
    std::string reason;
    m_handle = dynamic_library::open(m_path, reason);
    if (m_handle == nullptr) throw load_error("cannot load component " + p_path + ": " + reason);

    try {
        m_entry = reinterpret_cast<foobar2000_get_interface_t>(dynamic_library::find(m_handle, foobar2000_get_interface_name));
        if (m_entry == nullptr) {
            throw load_error("not a component: " + p_path + " has no " + foobar2000_get_interface_name);
        }
        m_client_object = m_entry(&p_api, m_handle);
        if (m_client_object == nullptr) throw load_error("component " + p_path + " gave no client object");
        m_client.emplace(*m_client_object);
        const t_uint32 version = this->client().get_version();
        if (version != FOOBAR2000_CLIENT_VERSION) {
            throw load_error("component " + p_path + " speaks client version " + std::to_string(version) +
                             ", this host speaks " + std::to_string(FOOBAR2000_CLIENT_VERSION));
        }
        this->client().set_library_path(m_path.c_str(), m_file_name.c_str());
        this->client().services_init(true);

        // The factories are the component's: their fields are read, and
        // instance_create, which raises nothing, is called as it is.
        for (service_factory_base* node = this->client().get_service_list(); node != nullptr; node = node->get_next()) {
            factory_entry entry_info{node->get_class_guid(), {}};
            node->instance_create(entry_info.service);
            m_factories.push_back(entry_info);
        }
        for (auto& factory : m_factories) p_registry.add(factory.class_guid, factory.service.get_ptr(), true);
    } catch (...) {
        unload();
        throw;
    }
}

component_library::~component_library() { unload(); }

void component_library::unload() {
    if (m_handle == nullptr) return;
    if (m_client) m_client->get().services_init(false);
    for (auto& factory : m_factories) m_registry->remove(factory.service.get_ptr());
    m_factories.clear();
    m_client.reset();
    m_client_object = nullptr;
    m_entry = nullptr;
    dynamic_library::close(m_handle);
    m_handle = nullptr;
}

}  // namespace host
