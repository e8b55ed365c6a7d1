#include "boundary/edge_streams.h"
#include "boundary/globals.h"
#include "config/cfg_var.h"

constinit bool g_services_available = false;

t_uint32 foobar2000_client_impl::get_version() { return FOOBAR2000_CLIENT_VERSION; }

foobar2000_client::pservice_factory_base foobar2000_client_impl::get_service_list() {
    return service_factory_base::__internal__list;
}

void foobar2000_client_impl::get_config(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) {
    edge::inbound([&] {
        edge::foreign<foobar2000_io::stream_writer> stream(*p_stream);
        cfg_var::config_write_file(&stream.get(), p_abort);
    });
}

void foobar2000_client_impl::set_config(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) {
    edge::inbound([&] {
        edge::foreign<foobar2000_io::stream_reader> stream(*p_stream);
        cfg_var::config_read_file(&stream.get(), p_abort);
    });
}

// A missing name is stored as the empty text rather than read through.
void foobar2000_client_impl::set_library_path(const char*, const char* name) {
    edge::inbound([&] { g_name = name != nullptr ? name : ""; });
}

void foobar2000_client_impl::services_init(bool val) { g_services_available = val; }

bool foobar2000_client_impl::is_debug() { return false; }
