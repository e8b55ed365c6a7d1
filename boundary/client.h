#pragma once

#include "boundary/service_factory.h"
#include "config/stream.h"
#include "platform/module.h"

// The two objects through which the host and the component first meet.

// The host's API object, kept by the component in g_api. The host owns it and
// keeps it alive while the library is loaded; the component never releases
// it. Slots, in binary order; the component calls the first three and the
// fifth, only on the host's UI thread, and catches nothing they raise.
class foobar2000_api {
public:
    // The registry's handle for a class GUID: the host's, never released, and
    // valid while the host runs. [ui-thread]
    virtual service_class_handle host_find_class(const GUID& p_guid) = 0;
    // Fills p_out with implementation p_index of the class (one reference, now
    // owned by p_out) and answers true, or answers false; on false p_out may
    // still hold something, which the caller releases. [ui-thread]
    virtual bool host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                                      t_size p_index) = 0;
    // How many implementations the class has. [ui-thread]
    virtual t_size host_get_instance_count(service_class_handle p_class) = 0;
    // The host's own; the component never calls it.
    virtual void host_reserved() = 0;
    // May a command act now? A no means it must not. [ui-thread]
    virtual bool host_gate_check() = 0;

protected:
    ~foobar2000_api() = default;
};

// The component's client object: the host's only fixed door into the
// component. A static of the component (g_client), never released. Slots, in
// binary order. [ui-thread]: the host calls them after the export, in any
// order, on the thread that called it.
class foobar2000_client {
public:
    using pservice_factory_base = service_factory_base*;

    // The client interface version the component implements. [nothrow]
    virtual t_uint32 get_version() = 0;
    // Head of the component's factory list: static, uncounted nodes, complete
    // at load and never changed. [nothrow]
    virtual pservice_factory_base get_service_list() = 0;
    // Saves every configuration variable to p_stream, one record each (see
    // config/cfg_var.h). Both arguments are borrowed for the call; p_abort is
    // only handed on. When one write fails, the records before it stay
    // written. [throws: host errors of p_stream, std::bad_alloc, a variable's]
    virtual void get_config(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    // Restores the configuration variables from p_stream, record by record in
    // stream order; nothing is undone when the stream turns out damaged.
    // Ending at a record boundary or inside a GUID is the normal end. An
    // unknown GUID's record is skipped; a record a variable refuses with an
    // io data error is dropped, and reading goes on. Cut anywhere later
    // (length, payload), the records before stay applied and the reader's
    // error reaches the host.
    // [throws: host errors of p_stream, exception_io_data_truncation, a
    // variable's errors other than io data errors]
    virtual void set_config(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    // Keeps a copy of name (null: the empty text); neither pointer is kept.
    // [throws: std::bad_alloc, the previous name kept]
    virtual void set_library_path(const char* path, const char* name) = 0;
    // Switches the use of the host's services on or off. [nothrow]
    virtual void services_init(bool val) = 0;
    virtual bool is_debug() = 0;  // false [nothrow]

protected:
    ~foobar2000_client() = default;
};

inline constexpr t_uint32 FOOBAR2000_CLIENT_VERSION = 71;

// The library's one export. Prepares the calling thread for apartment-threaded
// component-object use (the result is ignored; nothing undoes it), keeps
// p_api, replacing what an earlier call kept, ignores the module handle and
// answers the client object, the same on every call. The host calls it
// before anything else, on the thread that will make every later call.
// [nothrow]
extern "C" {
using foobar2000_get_interface_t = foobar2000_client* (*)(foobar2000_api* p_api, HINSTANCE hIns);
}
inline constexpr const char* foobar2000_get_interface_name = "foobar2000_get_interface";
