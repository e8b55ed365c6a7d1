// The component's interfaces and error types as a host built by Microsoft's
// compiler declares them: the same names, slot orders, argument types and
// class GUIDs as the component's own headers (boundary/, config/,
// integration/, support/), in natural C++ forms, so that this program passes
// and returns everything Microsoft's way. Sizes and counts are unsigned
// 32-bit. No interface has a destructor among its slots.
#pragma once

#include "runtime.h"

using t_size = uint32_t;
using t_uint8 = uint8_t;
using t_uint16 = uint16_t;
using t_uint32 = uint32_t;
using t_int32 = int32_t;
using t_uint64 = uint64_t;

struct GUID {
    t_uint32 Data1;
    t_uint16 Data2;
    t_uint16 Data3;
    t_uint8 Data4[8];
};
static_assert(sizeof(GUID) == 16);
inline bool operator==(const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }
inline constexpr GUID guid_null = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace pfc {
inline constexpr t_size infinite_size = 0xFFFFFFFFu;
}

// ---- The service model -----------------------------------------------------

class service_base;

// Owns one reference: a copy adds one, destruction releases it, assignment
// takes the new reference before it gives up the old one.
template <typename T>
class service_ptr_t {
public:
    service_ptr_t() noexcept = default;
    service_ptr_t(T* p_ptr) noexcept : m_ptr(p_ptr) {
        if (m_ptr != nullptr) m_ptr->service_add_ref();
    }
    service_ptr_t(const service_ptr_t& p_source) noexcept : service_ptr_t(p_source.m_ptr) {}
    ~service_ptr_t() { release(); }
    service_ptr_t& operator=(const service_ptr_t& p_source) noexcept { return *this = p_source.m_ptr; }
    service_ptr_t& operator=(T* p_ptr) noexcept {
        if (p_ptr != nullptr) p_ptr->service_add_ref();
        T* old = m_ptr;
        m_ptr = p_ptr;
        if (old != nullptr) old->service_release();
        return *this;
    }
    void release() noexcept { *this = nullptr; }
    T* get_ptr() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }

private:
    T* m_ptr = nullptr;
};
static_assert(sizeof(service_ptr_t<service_base>) == sizeof(void*));

class service_base {
public:
    virtual t_int32 service_release() noexcept = 0;
    virtual t_int32 service_add_ref() noexcept = 0;
    virtual bool service_query(service_ptr_t<service_base>& p_out, const GUID& p_guid) = 0;

protected:
    ~service_base() = default;
};

struct service_class_opaque;
using service_class_handle = service_class_opaque*;

// A node of the component's factory list; the host reads the two fields after
// the table pointer.
class service_factory_base {
public:
    virtual void instance_create(service_ptr_t<service_base>& p_out) = 0;

    service_factory_base* m_next;
    const GUID* m_guid;  // a reference in the component's declaration: the same bytes

protected:
    ~service_factory_base() = default;
};
static_assert(sizeof(service_factory_base) == 3 * sizeof(void*));

// ---- Text, masks, lists ----------------------------------------------------

namespace pfc {

class string_receiver {
public:
    virtual void add_string(const char* p_string, t_size p_length) = 0;

protected:
    ~string_receiver() = default;
};

class string_base : public string_receiver {
public:
    virtual const char* get_ptr() const = 0;
    virtual void set_string(const char* p_string, t_size p_length) = 0;
    virtual void truncate(t_size len) = 0;
    virtual t_size get_length() const = 0;
    virtual char* lock_buffer(t_size n) = 0;
    virtual void unlock_buffer() = 0;

protected:
    ~string_base() = default;
};

}  // namespace pfc

class bit_array {
public:
    virtual bool get(t_size n) const = 0;
    virtual t_size find(bool val, t_size start, t_int32 count) const = 0;

protected:
    ~bit_array() = default;
};

namespace pfc {

template <typename T>
class list_base_const_t {
public:
    virtual t_size get_count() const = 0;
    virtual void get_item_ex(T& p_out, t_size n) const = 0;

protected:
    ~list_base_const_t() = default;
};

template <typename T>
class list_base_t : public list_base_const_t<T> {
public:
    class sort_callback {
    public:
        virtual t_int32 compare(const T& p_item1, const T& p_item2) = 0;

    protected:
        ~sort_callback() = default;
    };

    virtual void filter_mask(const bit_array& mask) = 0;
    virtual t_size insert_items(const list_base_const_t<T>& source, t_size base) = 0;
    virtual void reorder_partial(t_size p_base, const t_size* p_order, t_size p_count) = 0;
    virtual void sort(sort_callback& p_callback) = 0;
    virtual void sort_stable(sort_callback& p_callback) = 0;
    virtual void replace_item(t_size idx, const T& item) = 0;
    virtual void swap_item_with(t_size p_index, T& p_item) = 0;
    virtual void swap_items(t_size p_index1, t_size p_index2) = 0;

protected:
    ~list_base_t() = default;
};

}  // namespace pfc

// ---- Streams ---------------------------------------------------------------

namespace foobar2000_io {

class abort_callback {
public:
    virtual bool is_aborting() const = 0;

protected:
    ~abort_callback() = default;
};

class stream_reader {
public:
    virtual t_size read(void* p_buffer, t_size p_bytes, abort_callback& p_abort) = 0;
    virtual void read_object(void* p_buffer, t_size p_bytes, abort_callback& p_abort) = 0;
    virtual t_uint64 skip(t_uint64 p_bytes, abort_callback& p_abort) = 0;
    virtual void skip_object(t_uint64 p_bytes, abort_callback& p_abort) = 0;

protected:
    ~stream_reader() = default;
};

class stream_writer {
public:
    virtual void write(const void* p_buffer, t_size p_bytes, abort_callback& p_abort) = 0;

protected:
    ~stream_writer() = default;
};

}  // namespace foobar2000_io

// ---- The client and the host's API object ------------------------------------

class foobar2000_api {
public:
    virtual service_class_handle host_find_class(const GUID& p_guid) = 0;
    virtual bool host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                                      t_size p_index) = 0;
    virtual t_size host_get_instance_count(service_class_handle p_class) = 0;
    virtual void host_reserved() = 0;
    virtual bool host_gate_check() = 0;

protected:
    ~foobar2000_api() = default;
};

class foobar2000_client {
public:
    virtual t_uint32 get_version() = 0;
    virtual service_factory_base* get_service_list() = 0;
    virtual void get_config(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    virtual void set_config(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    virtual void set_library_path(const char* path, const char* name) = 0;
    virtual void services_init(bool val) = 0;
    virtual bool is_debug() = 0;

protected:
    ~foobar2000_client() = default;
};

using foobar2000_get_interface_t = foobar2000_client* (*)(foobar2000_api* p_api, HMODULE hIns);

// ---- The component's services ------------------------------------------------

class componentversion : public service_base {
public:
    static const GUID class_guid;
    virtual void get_file_name(pfc::string_base& out) = 0;
    virtual void get_component_name(pfc::string_base& out) = 0;
    virtual void get_component_version(pfc::string_base& out) = 0;
    virtual void get_about_message(pfc::string_base& out) = 0;

protected:
    ~componentversion() = default;
};
inline const GUID componentversion::class_guid = {
    0x10BB3EBD, 0xDDF7, 0x4975, {0xA3, 0xCC, 0x23, 0x08, 0x48, 0x29, 0x45, 0x3E}};

class mainmenu_commands : public service_base {
public:
    static const GUID class_guid;
    virtual t_uint32 get_command_count() = 0;
    virtual GUID get_command(t_uint32 p_index) = 0;
    virtual void get_name(t_uint32 p_index, pfc::string_base& p_out) = 0;
    virtual bool get_description(t_uint32 p_index, pfc::string_base& p_out) = 0;
    virtual GUID get_parent() = 0;
    virtual t_uint32 get_sort_priority() = 0;
    virtual bool get_display(t_uint32 p_index, pfc::string_base& p_text, t_uint32& p_flags) = 0;
    virtual void execute(t_uint32 p_index, service_ptr_t<service_base> p_callback) = 0;

protected:
    ~mainmenu_commands() = default;
};
inline const GUID mainmenu_commands::class_guid = {
    0x35077B8C, 0x6E70, 0x47BA, {0xB9, 0xDD, 0xD5, 0x15, 0x00, 0xE1, 0x2F, 0x2E}};

namespace mainmenu_groups {
inline constexpr GUID view = {0xF8BE5604, 0x165F, 0x4BB9, {0xB6, 0xA9, 0x15, 0xE5, 0x5E, 0x0E, 0x0D, 0x3A}};
}

class playback_queue_callback : public service_base {
public:
    static const GUID class_guid;
    enum t_change_origin : t_uint32 {
        origin_entries_added = 0,
        origin_entries_removed = 1,
        origin_head_taken = 2,
    };
    virtual void on_changed(t_change_origin p_origin) = 0;

protected:
    ~playback_queue_callback() = default;
};
inline const GUID playback_queue_callback::class_guid = {
    0xA49E087E, 0xD064, 0x4B2E, {0xA0, 0x8D, 0x11, 0x26, 0x4F, 0x69, 0x1F, 0xFE}};

class initquit : public service_base {
public:
    static const GUID class_guid;
    virtual void on_init() = 0;
    virtual void on_quit() = 0;

protected:
    ~initquit() = default;
};
inline const GUID initquit::class_guid = {
    0x113773C4, 0xB387, 0x4B48, {0x8B, 0xDF, 0xAB, 0x58, 0xBC, 0x6C, 0xE5, 0x38}};

// ---- The host's services that the component calls ------------------------------

class file_info {
public:
    virtual t_size meta_find_field(const char* p_name, t_size p_name_length) const = 0;
    virtual t_size meta_value_count(t_size p_field) const = 0;
    virtual const char* meta_value_at(t_size p_field, t_size p_index) const = 0;

protected:
    ~file_info() = default;
};

class metadb_handle : public service_base {
public:
    static const GUID class_guid;
    virtual void lock_info() = 0;
    virtual bool peek_info(const file_info*& p_info) = 0;
    virtual void unlock_info() = 0;

protected:
    ~metadb_handle() = default;
};
inline const GUID metadb_handle::class_guid = {
    0x0E43D2B1, 0x7A4C, 0x4F21, {0x9D, 0x63, 0x2B, 0x8E, 0x51, 0xC4, 0x07, 0xAA}};

struct t_playback_queue_item {
    service_ptr_t<metadb_handle> m_handle;
    t_uint32 m_playlist = 0;
    t_uint32 m_item = 0;
};
static_assert(sizeof(t_playback_queue_item) == sizeof(void*) + 8);

class playlist_manager : public service_base {
public:
    static const GUID class_guid;
    virtual void read_queue_contents(pfc::list_base_t<t_playback_queue_item>& p_out) = 0;
    virtual void remove_queue_entries(const bit_array& p_mask) = 0;

protected:
    ~playlist_manager() = default;
};
inline const GUID playlist_manager::class_guid = {
    0xD8D51855, 0xD79D, 0x49B8, {0x97, 0xA8, 0x06, 0x57, 0x85, 0xFA, 0x24, 0x26}};

// ---- Error types: the component's names and tree, caught by name ----------------

namespace pfc {
class exception_overflow : public std::exception {};
class exception_bug_check : public std::exception {};
}  // namespace pfc

class exception_service_not_found : public std::exception {};
class exception_service_duplicated : public std::exception {};

namespace foobar2000_io {
class exception_io : public std::exception {
public:
    explicit exception_io(const char* p_message) noexcept : std::exception(p_message) {}
};
class exception_io_data : public exception_io {
public:
    explicit exception_io_data(const char* p_message) noexcept : exception_io(p_message) {}
};
class exception_io_data_truncation : public exception_io_data {
public:
    exception_io_data_truncation() noexcept : exception_io_data("Unsupported format or corrupted file") {}
};
}  // namespace foobar2000_io
