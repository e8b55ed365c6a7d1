#pragma once

#include "boundary/service_factory.h"
#include "config/stream.h"
#include "platform/module.h"

// The two objects through which the host and the component first meet.

// The host's API object, kept by the component in g_api. Slots, in binary
// order; the component calls the first three and the fifth.
class foobar2000_api {
public:
    // The registry's handle for a class GUID. [host's UI thread]
    virtual service_class_handle host_find_class(const GUID& p_guid) = 0;
    // Fills p_out with implementation p_index of the class (one reference, now
    // owned by p_out) and answers true, or answers false.
    virtual bool host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                                      t_size p_index) = 0;
    // How many implementations the class has.
    virtual t_size host_get_instance_count(service_class_handle p_class) = 0;
    // The host's own; the component never calls it.
    virtual void host_reserved() = 0;
    // May a command act now? A no means it must not.
    virtual bool host_gate_check() = 0;

protected:
    ~foobar2000_api() = default;
};

// The component's client object: the host's only fixed door into the
// component. Slots, in binary order; all are called on the host's UI thread.
class foobar2000_client {
public:
    using pservice_factory_base = service_factory_base*;

    // The client interface version the component implements.
    virtual t_uint32 get_version() = 0;
    // Head of the component's factory list; the list is complete at load.
    virtual pservice_factory_base get_service_list() = 0;
    // Saves the configuration variables to p_stream; errors go to the host.
    virtual void get_config(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    // Restores the configuration variables from p_stream.
    virtual void set_config(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    // The library's full path (not kept) and file name (copied).
    virtual void set_library_path(const char* path, const char* name) = 0;
    // Switches the use of the host's services on or off.
    virtual void services_init(bool val) = 0;
    virtual bool is_debug() = 0;

protected:
    ~foobar2000_client() = default;
};

inline constexpr t_uint32 FOOBAR2000_CLIENT_VERSION = 71;

// The library's one export. Prepares the calling thread for apartment-threaded
// component-object use, keeps p_api, and answers the client object.
extern "C" {
using foobar2000_get_interface_t = foobar2000_client* (*)(foobar2000_api* p_api, HINSTANCE hIns);
}
inline constexpr const char* foobar2000_get_interface_name = "foobar2000_get_interface";
