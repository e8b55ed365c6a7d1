#include "host/application.h"

#include <cstdio>

#include "forms/application.h"
#include "forms/form.h"
#include "host/service_calls.h"
#include "integration/initquit.h"
#include "integration/playlist_manager.h"

namespace host {

application::application(message_sink p_messages)
    : m_messages(std::move(p_messages)),
      m_tracks(track_library::builtin()),
      m_queue(m_registry, [this](const std::string& p_message) { say(p_message); }),
      m_api(m_registry) {
    m_registry.add(playlist_manager::class_guid, &m_queue);
}

application::~application() {
    shutdown();
    m_registry.clear();
}

void application::say(const std::string& p_message) {
    if (m_messages) {
        m_messages(p_message);
    } else {
        std::fprintf(stderr, "sorvale-host: %s\n", p_message.c_str());
    }
}

void application::use_config_folder(const std::filesystem::path& p_folder) { m_config.emplace(p_folder); }

component_library& application::load_component(const std::string& p_path) {
    m_components.push_back(std::make_unique<component_library>(p_path, m_api, m_registry));
    component_library& component = *m_components.back();
    if (m_config) {
        auto result = m_config->restore(component.client(), component.file_name());
        if (!result.message.empty()) say(result.message);
        m_restored[&component] = std::move(result);
    }
    return component;
}

const config_store::restore_result* application::restore_result_of(const component_library& p_component) const {
    const auto found = m_restored.find(&p_component);
    return found != m_restored.end() ? &found->second : nullptr;
}

std::size_t application::save_configuration() {
    if (!m_config) return 0;
    std::size_t saved = 0;
    for (const auto& component : m_components) {
        try {
            m_config->save(component->client(), component->file_name());
            ++saved;
        } catch (const config_error& e) {
            say(e.what());
        }
    }
    return saved;
}

void application::start_components() {
    // Copied: a component may change the registry while it starts.
    const auto hooks = m_registry.services_of(initquit::class_guid);
    for (const auto& hook : hooks) {
        call_service<initquit>(m_registry, hook.get_ptr(), [](initquit& service) { service.on_init(); });
    }
}

void application::quit_components() {
    // Copied: a component may change the registry while it shuts down.
    const auto hooks = m_registry.services_of(initquit::class_guid);
    for (const auto& hook : hooks) {
        try {
            call_service<initquit>(m_registry, hook.get_ptr(), [](initquit& service) { service.on_quit(); });
        } catch (const std::exception& e) {
            say(std::string("a component failed to shut down: ") + e.what());
        } catch (...) {
            say("a component failed to shut down");
        }
    }
    // Whatever window is still open closes now, while the code behind it is
    // loaded, with its closing events as if the user had closed it; the
    // toolkit then frees everything.
    for (forms::Form* form : forms::Application::OpenForms()) {
        if (!form->IsDisposed()) form->Close();
    }
    forms::Application::Shutdown();
}

std::size_t application::shutdown() {
    if (!m_components.empty()) quit_components();
    const std::size_t saved = save_configuration();
    while (!m_components.empty()) {
        m_restored.erase(m_components.back().get());
        m_components.pop_back();
    }
    // The host's own services stay registered until the host ends.
    return saved;
}

}  // namespace host
