#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/component_library.h"
#include "host/config_store.h"
#include "host/host_api.h"
#include "host/playback_queue.h"
#include "host/registry.h"
#include "host/track_library.h"

namespace host {

// The host: its track library and playback queue, its registry and API
// object, the configuration store, and the components it has loaded.
// Everything runs on the thread that owns it, the host's UI thread.
//
// Members are declared so that they end in the right order: the components
// first, then the registry (which drops its references to the queue), then
// the queue (dropping its track references), then the tracks.
class application {
public:
    // Hears the host's problems, one line each, as they happen.
    using message_sink = std::function<void(const std::string&)>;

    // Messages go to p_messages, or to standard error when none is given.
    explicit application(message_sink p_messages = {});
    application(const application&) = delete;
    application& operator=(const application&) = delete;
    ~application();

    // From now on each component loaded has its configuration restored from
    // p_folder, and shutdown saves it there.
    void use_config_folder(const std::filesystem::path& p_folder);
    config_store* config() { return m_config ? &*m_config : nullptr; }

    // Loads a component library (load_error says why it could not) and
    // restores its configuration.
    component_library& load_component(const std::string& p_path);
    const std::vector<std::unique_ptr<component_library>>& components() const { return m_components; }
    // What the restore found for p_component; null without a configuration folder.
    const config_store::restore_result* restore_result_of(const component_library& p_component) const;

    // The host's start-up call, once every component is loaded: on_init of
    // every initquit service, in registration order.
    void start_components();

    // Saves every component's configuration; each failure is one message.
    // Answers how many were saved.
    std::size_t save_configuration();

    registry& services() { return m_registry; }
    host_api& api() { return m_api; }
    track_library& tracks() { return *m_tracks; }
    playback_queue& queue() { return m_queue; }

    // Tells every component the host is quitting (initquit::on_quit), closes
    // every window still open, saves the configuration, then unloads every
    // component, last loaded first; answers how many configurations were saved. Calling it again
    // does nothing more.
    std::size_t shutdown();

private:
    void say(const std::string& p_message);
    // on_quit of every initquit service, then every window still open closes.
    void quit_components();

    message_sink m_messages;
    std::unique_ptr<track_library> m_tracks;
    playback_queue m_queue;
    registry m_registry;
    host_api m_api;
    std::optional<config_store> m_config;
    std::map<const component_library*, config_store::restore_result> m_restored;
    std::vector<std::unique_ptr<component_library>> m_components;
};

}  // namespace host
