// The host's own objects, as a real host has them, each counting what the
// component does with it: references, locks, calls. They live for the whole
// run (a release to 0 frees nothing), so a check can read every count after
// the component is done with them.
#pragma once

#include "interfaces.h"

// ---- The host's own errors ---------------------------------------------------

// A private error type of the host's, which the component cannot know: it
// must come back to the host as itself, its data intact.
class host_error : public std::exception {
public:
    host_error(int p_code, const char* p_note) noexcept;
    int m_code;
    char m_note[16];
};

// The host's own io data error with a message of its own: the component drops
// it when a configuration variable's read raises it.
class host_io_data_error : public foobar2000_io::exception_io_data {
public:
    host_io_data_error() noexcept : exception_io_data("host: the stored bytes are unreadable") {}
};

// What the host's reader raises when its data ends inside read_object or
// skip_object.
class host_stream_ended : public std::exception {
public:
    explicit host_stream_ended(t_size p_at) noexcept : std::exception("host: the stream ended early"), m_at(p_at) {}
    t_size m_at;
};

// An error a host object can be told to raise.
enum class fault { none, io_data, host_error, bad_alloc };
[[noreturn]] void raise_fault(fault p_fault, int p_code);

// ---- Storage -----------------------------------------------------------------

// A growable block of bytes over malloc.
class byte_buffer {
public:
    byte_buffer() noexcept = default;
    byte_buffer(const byte_buffer&) = delete;
    byte_buffer& operator=(const byte_buffer&) = delete;
    ~byte_buffer() { free(m_data); }

    void append(const void* p_bytes, size_t p_size);
    const t_uint8* data() const noexcept { return m_data; }
    size_t size() const noexcept { return m_size; }

private:
    t_uint8* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// ---- Counted services ----------------------------------------------------------

// A host object that counts the references taken on it, as the host's
// holdings plus the component's: m_refs starts at 0, so it reads "held now".
template <typename I>
class counted : public I {
public:
    t_int32 service_release() noexcept override {
        ++m_releases;
        return --m_refs;
    }
    t_int32 service_add_ref() noexcept override {
        ++m_add_refs;
        return ++m_refs;
    }
    // The component never asks the host's objects for another interface.
    bool service_query(service_ptr_t<service_base>&, const GUID&) override { return false; }

    t_int32 m_refs = 0;
    t_int32 m_add_refs = 0;
    t_int32 m_releases = 0;
};

// The reference a host hands over with a menu command.
using host_callback = counted<service_base>;

// ---- Tracks --------------------------------------------------------------------

class host_file_info : public file_info {
public:
    t_size meta_find_field(const char* p_name, t_size p_name_length) const override;
    t_size meta_value_count(t_size p_field) const override;
    const char* meta_value_at(t_size p_field, t_size p_index) const override;

    struct field {
        const char* name;
        const char* values[2];
        t_size count;
    };
    field m_fields[2] = {};
    t_size m_count = 0;
};

// A track of the host's library, known to the checks by a letter.
class host_track : public counted<metadb_handle> {
public:
    host_track(char p_letter, const char* p_artist, const char* p_second_artist, const char* p_title,
               bool p_readable = true) noexcept;

    void lock_info() override;
    bool peek_info(const file_info*& p_info) override;
    void unlock_info() override;

    char m_letter;
    bool m_readable;
    host_file_info m_info;
    int m_depth = 0;
    int m_locks = 0;
    int m_unlocks = 0;
    int m_peeks_unlocked = 0;

    // How many tracks are locked now, and the most ever at once.
    static inline int s_locked_now = 0;
    static inline int s_most_locked = 0;
};

// The letter of an entry's track, '-' for none.
char letter_of(const t_playback_queue_item& p_item);

// ---- Lists, masks, comparers -----------------------------------------------------

// The host's own list of entries, handed to the component's insert_items. It
// may claim more entries than it holds; it is then never to be read.
class host_source : public pfc::list_base_const_t<t_playback_queue_item> {
public:
    host_source(const t_playback_queue_item* p_items, t_size p_count) noexcept
        : m_items(p_items), m_count(p_count), m_claimed(p_count) {}

    t_size get_count() const override { return m_claimed; }
    void get_item_ex(t_playback_queue_item& p_out, t_size n) const override;

    const t_playback_queue_item* m_items;
    t_size m_count;
    t_size m_claimed;
    mutable int m_reads = 0;
};

// A mask over a table of the host's, which counts how it is asked.
class host_mask : public bit_array {
public:
    host_mask(const bool* p_table, t_size p_count) noexcept : m_table(p_table), m_count(p_count) {}

    bool get(t_size n) const override;
    t_size find(bool val, t_size start, t_int32 count) const override;

    const bool* m_table;
    t_size m_count;
    mutable int m_gets = 0;
    mutable int m_finds = 0;
    mutable t_size m_furthest = 0;  // one past the furthest position a find looked at
};

// Orders entries by their track's letter or by their first value; can be told
// to raise a host error at a given call.
class host_comparer : public pfc::list_base_t<t_playback_queue_item>::sort_callback {
public:
    enum key_t { by_letter, by_playlist };
    explicit host_comparer(key_t p_key, int p_fail_at_call = 0) noexcept : m_key(p_key), m_fail_at(p_fail_at_call) {}

    t_int32 compare(const t_playback_queue_item& p_item1, const t_playback_queue_item& p_item2) override;

    key_t m_key;
    int m_fail_at;
    int m_calls = 0;
};

// What the host read from a mask the component handed it, while it could.
struct mask_answers {
    t_size count = 0;         // the queue's length then
    bool at[16] = {};         // get of positions 0 to count - 1
    bool past_end = false;    // get(count)
    bool far_past = false;    // get(count + 1000)
    t_size first_true = 0;    // find(true, 0, count)
    t_size first_false = 0;   // find(false, 0, count)
    t_size false_from_3 = 0;  // find(false, 3, 5)
};

// ---- The playback queue ----------------------------------------------------------

class host_playlist_manager : public counted<playlist_manager> {
public:
    using list = pfc::list_base_t<t_playback_queue_item>;
    using read_hook = void (*)(void* p_context, list& p_out);

    // Fills the component's list through insert_items, unless a hook does
    // something else with it.
    void read_queue_contents(list& p_out) override;
    // Removes the marked entries, then tells the component's queue callback,
    // during the call, as a host may.
    void remove_queue_entries(const bit_array& p_mask) override;

    void set_queue(host_track* const* p_tracks, t_size p_count);

    template <typename F>
    void set_read_hook(F& p_hook) {
        m_hook = [](void* p_context, list& p_out) { (*static_cast<F*>(p_context))(p_out); };
        m_hook_context = &p_hook;
    }
    void clear_read_hook() noexcept { m_hook = nullptr; }

    t_playback_queue_item m_queue[16];
    t_size m_count = 0;
    playback_queue_callback* m_listener = nullptr;
    read_hook m_hook = nullptr;
    void* m_hook_context = nullptr;
    int m_reads = 0;
    int m_removals = 0;
    mask_answers m_last_mask;
};

// ---- The API object over the host's registry ---------------------------------------

enum class registry_state { none, one, two, failing };

class host_api : public foobar2000_api {
public:
    service_class_handle host_find_class(const GUID& p_guid) override;
    bool host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                              t_size p_index) override;
    t_size host_get_instance_count(service_class_handle p_class) override;
    void host_reserved() override { ++m_calls; }
    bool host_gate_check() override {
        ++m_gate_checks;
        return m_gate;
    }

    host_playlist_manager* m_managers[2] = {};
    registry_state m_registry = registry_state::one;
    bool m_gate = true;
    int m_calls = 0;  // every call but the gate check
    int m_gate_checks = 0;

private:
    char m_manager_class = 0;
    char m_other_class = 0;
};

// ---- Streams and text ----------------------------------------------------------------

class host_abort : public foobar2000_io::abort_callback {
public:
    bool is_aborting() const override {
        ++m_asks;
        return false;
    }
    mutable int m_asks = 0;
};

// Bytes in memory, which can be told to end early (cut) or to raise a fault
// when a read or skip reaches a given byte.
class host_reader : public foobar2000_io::stream_reader {
public:
    host_reader(const t_uint8* p_bytes, t_size p_size) noexcept : m_bytes(p_bytes), m_end(p_size) {}

    t_size read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override;
    void read_object(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override;
    t_uint64 skip(t_uint64 p_bytes, foobar2000_io::abort_callback& p_abort) override;
    void skip_object(t_uint64 p_bytes, foobar2000_io::abort_callback& p_abort) override;

    const t_uint8* m_bytes;
    t_size m_end;
    t_size m_at = 0;
    fault m_fault = fault::none;
    t_size m_fault_at = 0;

private:
    t_size advance(t_size p_wanted);
};

// Collects the bytes; can be told to raise a fault at its n-th write.
class host_writer : public foobar2000_io::stream_writer {
public:
    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override;

    byte_buffer m_bytes;
    t_size m_sizes[16] = {};  // of the first writes
    int m_writes = 0;
    fault m_fault = fault::none;
    int m_fault_at_write = 0;
};

class host_sink : public pfc::string_base {
public:
    explicit host_sink(const char* p_text = "") { set_string(p_text, pfc::infinite_size); }
    host_sink(const host_sink&) = delete;
    host_sink& operator=(const host_sink&) = delete;
    ~host_sink() { free(m_text); }

    void add_string(const char* p_string, t_size p_length) override;
    const char* get_ptr() const override { return m_text; }
    void set_string(const char* p_string, t_size p_length) override;
    void truncate(t_size len) override;
    t_size get_length() const override { return m_length; }
    char* lock_buffer(t_size n) override;
    void unlock_buffer() override;

    bool is(const char* p_text) const { return strcmp(m_text, p_text) == 0; }

private:
    void reserve(size_t p_length);

    char* m_text = nullptr;
    t_size m_length = 0;
    size_t m_capacity = 0;
};
