#pragma once

#include "boundary/client.h"
#include "support/string_simple.h"

// Component-wide state. All of it is static and lives as long as the library.
// It is constinit, so it holds its starting value before any static
// constructor of the component runs, whichever file defines it: g_api in
// service_factory.cpp, g_services_available in client.cpp, g_name and
// g_client in component.cpp. The export and the client operations write it
// and the services read it, all on the host's UI thread, so plain fields do.

extern constinit foobar2000_api* g_api;      // the host's, borrowed; null until the export runs
extern constinit bool g_services_available;  // the host's services may be used
extern constinit pfc::string_simple_t<char> g_name;  // the library's file name, as the host gave it

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

extern constinit foobar2000_client_impl g_client;
