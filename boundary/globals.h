#pragma once

#include "boundary/client.h"
#include "support/string_simple.h"

// Component-wide state. All of it is static, lives as long as the library and
// starts empty at load; the export and the client operations write it.

extern foobar2000_api* g_api;        // the host's API object; null until the export runs
extern bool g_services_available;    // the host's services may be used
extern pfc::string_simple_t<char> g_name;  // the library's file name, as the host gave it

// The client object: no state of its own, ready at load.
class foobar2000_client_impl : public foobar2000_client {
public:
    t_uint32 get_version() override;
    pservice_factory_base get_service_list() override;
    void get_config(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) override;
    void set_config(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) override;
    void set_library_path(const char* path, const char* name) override;
    void services_init(bool val) override;
    bool is_debug() override;
};

extern foobar2000_client_impl g_client;
