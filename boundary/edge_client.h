#pragma once

#include "boundary/client.h"
#include "boundary/componentversion.h"
#include "boundary/edge_streams.h"
#include "boundary/edge_text.h"

// The component's client object and version service as the host calls them
// across the edge (edge.h): each slot one outbound, the host's streams and
// sinks handed over facing the component. A proxy lives as long as the host
// keeps it; it holds no reference (the client is not counted; the service's
// counts pass straight through).
namespace edge {

#if SORVALE_MSVC_ABI

template <>
class foreign<foobar2000_client> final : public foobar2000_client {
public:
    explicit foreign(foobar2000_client& p_client) noexcept : m_client(p_client) {}
    ~foreign() = default;
    foobar2000_client& get() noexcept { return *this; }

    t_uint32 get_version() override {
        return outbound([&] { return m_client.get_version(); });
    }
    pservice_factory_base get_service_list() override {
        return outbound([&] { return m_client.get_service_list(); });
    }
    void get_config(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) override {
        facing<foobar2000_io::stream_writer> stream(*p_stream);
        outbound([&] { m_client.get_config(&stream.get(), p_abort); });
    }
    void set_config(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) override {
        facing<foobar2000_io::stream_reader> stream(*p_stream);
        outbound([&] { m_client.set_config(&stream.get(), p_abort); });
    }
    void set_library_path(const char* path, const char* name) override {
        outbound([&] { m_client.set_library_path(path, name); });
    }
    void services_init(bool val) override {
        outbound([&] { m_client.services_init(val); });
    }
    bool is_debug() override {
        return outbound([&] { return m_client.is_debug(); });
    }

private:
    foobar2000_client& m_client;
};

template <>
class foreign<componentversion> final : public componentversion {
public:
    explicit foreign(componentversion& p_service) noexcept : m_service(p_service) {}
    ~foreign() = default;
    componentversion& get() noexcept { return *this; }

    t_int32 service_release() noexcept override { return m_service.service_release(); }
    t_int32 service_add_ref() noexcept override { return m_service.service_add_ref(); }
    bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) override {
        return outbound([&] { return m_service.service_query(p_out, p_guid); });
    }
    void get_file_name(pfc::string_base& out) override { call(&componentversion::get_file_name, out); }
    void get_component_name(pfc::string_base& out) override { call(&componentversion::get_component_name, out); }
    void get_component_version(pfc::string_base& out) override { call(&componentversion::get_component_version, out); }
    void get_about_message(pfc::string_base& out) override { call(&componentversion::get_about_message, out); }

private:
    void call(void (componentversion::*p_slot)(pfc::string_base&), pfc::string_base& p_out) {
        facing<pfc::string_base> sink(p_out);
        outbound([&] { (m_service.*p_slot)(sink.get()); });
    }

    componentversion& m_service;
};

#endif

}  // namespace edge
