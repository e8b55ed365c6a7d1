// A component built for another version of the client interface.
#include "boundary/client.h"

namespace {

class old_client : public foobar2000_client {
public:
    t_uint32 get_version() override { return 70; }
    pservice_factory_base get_service_list() override { return nullptr; }
    void get_config(foobar2000_io::stream_writer*, foobar2000_io::abort_callback&) override {}
    void set_config(foobar2000_io::stream_reader*, foobar2000_io::abort_callback&) override {}
    void set_library_path(const char*, const char*) override {}
    void services_init(bool) override {}
    bool is_debug() override { return false; }
};

old_client g_old_client;

}  // namespace

extern "C" PLATFORM_LIBRARY_EXPORT foobar2000_client* foobar2000_get_interface(foobar2000_api*, HINSTANCE) {
    return &g_old_client;
}
