#pragma once

#include "boundary/edge_text.h"
#include "integration/initquit.h"
#include "integration/mainmenu_commands.h"
#include "integration/playback_queue_callback.h"

// The component's services as the host calls them across the edge (edge.h):
// each slot one outbound, the host's sinks handed over facing the component.
// A proxy holds no reference of its own; the service's counts pass straight
// through.
namespace edge {

#if SORVALE_MSVC_ABI

// What every proxy of a service does with the three slots of service_base.
template <typename I>
class foreign_service : public I {
public:
    explicit foreign_service(I& p_service) noexcept : m_service(p_service) {}
    I& get() noexcept { return *this; }

    t_int32 service_release() noexcept override { return m_service.service_release(); }
    t_int32 service_add_ref() noexcept override { return m_service.service_add_ref(); }
    bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) override {
        return outbound([&] { return m_service.service_query(p_out, p_guid); });
    }

protected:
    ~foreign_service() = default;
    I& m_service;
};

template <>
class foreign<mainmenu_commands> final : public foreign_service<mainmenu_commands> {
public:
    using foreign_service::foreign_service;
    using mainmenu_commands::execute;
    using mainmenu_commands::get_command;
    using mainmenu_commands::get_parent;

    t_uint32 get_command_count() override {
        return outbound([&] { return m_service.get_command_count(); });
    }
    GUID* get_command(GUID* p_result, t_uint32 p_index) override {
        return outbound([&] { return m_service.get_command(p_result, p_index); });
    }
    void get_name(t_uint32 p_index, pfc::string_base& p_out) override {
        facing<pfc::string_base> sink(p_out);
        outbound([&] { m_service.get_name(p_index, sink.get()); });
    }
    bool get_description(t_uint32 p_index, pfc::string_base& p_out) override {
        facing<pfc::string_base> sink(p_out);
        return outbound([&] { return m_service.get_description(p_index, sink.get()); });
    }
    GUID* get_parent(GUID* p_result) override {
        return outbound([&] { return m_service.get_parent(p_result); });
    }
    t_uint32 get_sort_priority() override {
        return outbound([&] { return m_service.get_sort_priority(); });
    }
    bool get_display(t_uint32 p_index, pfc::string_base& p_text, t_uint32& p_flags) override {
        facing<pfc::string_base> sink(p_text);
        return outbound([&] { return m_service.get_display(p_index, sink.get(), p_flags); });
    }
    void execute(t_uint32 p_index, calling_form::by_value<service_base> p_callback) override {
        outbound([&] { m_service.execute(p_index, p_callback); });
    }
};

template <>
class foreign<playback_queue_callback> final : public foreign_service<playback_queue_callback> {
public:
    using foreign_service::foreign_service;

    void on_changed(t_change_origin p_origin) override {
        outbound([&] { m_service.on_changed(p_origin); });
    }
};

template <>
class foreign<initquit> final : public foreign_service<initquit> {
public:
    using foreign_service::foreign_service;

    void on_init() override {
        outbound([&] { m_service.on_init(); });
    }
    void on_quit() override {
        outbound([&] { m_service.on_quit(); });
    }
};

#endif

}  // namespace edge
