#include "host_objects.h"

namespace {

// The length of a text bounded by p_length: its first NUL ends it earlier.
t_size bounded_length(const char* p_text, t_size p_length) {
    if (p_text == nullptr) return 0;
    t_size length = 0;
    while (length < p_length && p_text[length] != '\0') ++length;
    return length;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

host_error::host_error(int p_code, const char* p_note) noexcept : std::exception("host error"), m_code(p_code) {
    const t_size length = bounded_length(p_note, sizeof m_note - 1);
    memcpy(m_note, p_note, length);
    m_note[length] = '\0';
}

void raise_fault(fault p_fault, int p_code) {
    switch (p_fault) {
        case fault::io_data: throw host_io_data_error();
        case fault::bad_alloc: throw std::bad_alloc();
        case fault::host_error:
        case fault::none: break;
    }
    throw host_error(p_code, "raised");
}

void byte_buffer::append(const void* p_bytes, size_t p_size) {
    if (m_size + p_size > m_capacity) {
        size_t capacity = m_capacity != 0 ? m_capacity : 64;
        while (capacity < m_size + p_size) capacity *= 2;
        void* grown = realloc(m_data, capacity);
        if (grown == nullptr) throw std::bad_alloc();
        m_data = static_cast<t_uint8*>(grown);
        m_capacity = capacity;
    }
    if (p_size != 0) memcpy(m_data + m_size, p_bytes, p_size);
    m_size += p_size;
}

// ---- Tracks ------------------------------------------------------------------

t_size host_file_info::meta_find_field(const char* p_name, t_size p_name_length) const {
    const t_size length = bounded_length(p_name, p_name_length);
    for (t_size i = 0; i < m_count; ++i) {
        const char* name = m_fields[i].name;
        t_size j = 0;
        while (j < length && name[j] != '\0' && lower(name[j]) == lower(p_name[j])) ++j;
        if (j == length && name[j] == '\0') return i;
    }
    return 0xFFFFFFFFu;
}

t_size host_file_info::meta_value_count(t_size p_field) const {
    return p_field < m_count ? m_fields[p_field].count : 0;
}

const char* host_file_info::meta_value_at(t_size p_field, t_size p_index) const {
    if (p_field >= m_count || p_index >= m_fields[p_field].count) return nullptr;
    return m_fields[p_field].values[p_index];
}

host_track::host_track(char p_letter, const char* p_artist, const char* p_second_artist, const char* p_title,
                       bool p_readable) noexcept
    : m_letter(p_letter), m_readable(p_readable) {
    if (p_artist != nullptr) m_info.m_fields[m_info.m_count++] = {"ARTIST", {p_artist, p_second_artist}, p_second_artist ? 2u : 1u};
    if (p_title != nullptr) m_info.m_fields[m_info.m_count++] = {"TITLE", {p_title, nullptr}, 1};
}

void host_track::lock_info() {
    ++m_locks;
    if (m_depth++ == 0 && ++s_locked_now > s_most_locked) s_most_locked = s_locked_now;
}

bool host_track::peek_info(const file_info*& p_info) {
    if (m_depth == 0) ++m_peeks_unlocked;
    if (!m_readable) return false;
    p_info = &m_info;
    return true;
}

void host_track::unlock_info() {
    ++m_unlocks;
    if (--m_depth == 0) --s_locked_now;
}

char letter_of(const t_playback_queue_item& p_item) {
    // Every track the component holds is one of the host's.
    const metadb_handle* track = p_item.m_handle.get_ptr();
    return track != nullptr ? static_cast<const host_track*>(track)->m_letter : '-';
}

// ---- Lists, masks, comparers -------------------------------------------------

void host_source::get_item_ex(t_playback_queue_item& p_out, t_size n) const {
    ++m_reads;
    if (n >= m_count) throw host_error(n, "past the source");
    p_out = m_items[n];
}

bool host_mask::get(t_size n) const {
    ++m_gets;
    return n < m_count && m_table[n];
}

t_size host_mask::find(bool val, t_size start, t_int32 count) const {
    ++m_finds;
    if (count == 0) return start;
    const t_size steps = count > 0 ? static_cast<t_size>(count) : 0u - static_cast<t_size>(count);
    if (count > 0 && start + steps > m_furthest) m_furthest = start + steps;
    for (t_size i = 0; i < steps; ++i) {
        const t_size at = count > 0 ? start + i : start - i;
        if ((at < m_count && m_table[at]) == val) return at;
    }
    return start + static_cast<t_size>(count);
}

t_int32 host_comparer::compare(const t_playback_queue_item& p_item1, const t_playback_queue_item& p_item2) {
    if (++m_calls == m_fail_at) throw host_error(m_calls, "comparer");
    if (m_key == by_playlist) return static_cast<t_int32>(p_item1.m_playlist) - static_cast<t_int32>(p_item2.m_playlist);
    return letter_of(p_item1) - letter_of(p_item2);
}

// ---- The playback queue --------------------------------------------------------

void host_playlist_manager::read_queue_contents(list& p_out) {
    ++m_reads;
    if (m_hook != nullptr) {
        m_hook(m_hook_context, p_out);
        return;
    }
    host_source source(m_queue, m_count);
    p_out.insert_items(source, pfc::infinite_size);
}

void host_playlist_manager::remove_queue_entries(const bit_array& p_mask) {
    ++m_removals;
    mask_answers& seen = m_last_mask;
    seen = mask_answers();
    seen.count = m_count;
    for (t_size i = 0; i < m_count; ++i) seen.at[i] = p_mask.get(i);
    seen.past_end = p_mask.get(m_count);
    seen.far_past = p_mask.get(m_count + 1000);
    seen.first_true = p_mask.find(true, 0, static_cast<t_int32>(m_count));
    seen.first_false = p_mask.find(false, 0, static_cast<t_int32>(m_count));
    seen.false_from_3 = p_mask.find(false, 3, 5);

    t_size kept = 0;
    for (t_size i = 0; i < m_count; ++i) {
        if (!seen.at[i]) m_queue[kept++] = m_queue[i];
    }
    for (t_size i = kept; i < m_count; ++i) m_queue[i] = t_playback_queue_item();
    m_count = kept;
    if (m_listener != nullptr) m_listener->on_changed(playback_queue_callback::origin_entries_removed);
}

void host_playlist_manager::set_queue(host_track* const* p_tracks, t_size p_count) {
    for (t_size i = 0; i < 16; ++i) m_queue[i] = t_playback_queue_item();
    for (t_size i = 0; i < p_count; ++i) m_queue[i] = {p_tracks[i], 7, 100 + i};
    m_count = p_count;
}

// ---- The API object ---------------------------------------------------------------

service_class_handle host_api::host_find_class(const GUID& p_guid) {
    ++m_calls;
    char* handle = p_guid == playlist_manager::class_guid ? &m_manager_class : &m_other_class;
    return reinterpret_cast<service_class_handle>(handle);
}

t_size host_api::host_get_instance_count(service_class_handle p_class) {
    ++m_calls;
    if (p_class != reinterpret_cast<service_class_handle>(&m_manager_class)) return 0;
    switch (m_registry) {
        case registry_state::none: return 0;
        case registry_state::two: return 2;
        case registry_state::one:
        case registry_state::failing: break;
    }
    return 1;
}

bool host_api::host_create_instance(service_ptr_t<service_base>& p_out, service_class_handle p_class,
                                    t_size p_index) {
    ++m_calls;
    if (p_class != reinterpret_cast<service_class_handle>(&m_manager_class)) return false;
    if (m_registry == registry_state::failing) {
        // A failing host may leave something in the handle, which the caller releases.
        p_out = m_managers[0];
        return false;
    }
    const t_size count = m_registry == registry_state::two ? 2 : m_registry == registry_state::one ? 1 : 0;
    if (p_index >= count) return false;
    p_out = m_managers[p_index];
    return true;
}

// ---- Streams and text ----------------------------------------------------------------

t_size host_reader::advance(t_size p_wanted) {
    const t_size left = m_end - m_at;
    const t_size taken = p_wanted < left ? p_wanted : left;
    if (m_fault != fault::none && m_fault_at >= m_at && m_fault_at - m_at < taken) {
        const fault raised = m_fault;
        m_fault = fault::none;  // once
        raise_fault(raised, static_cast<int>(m_fault_at));
    }
    m_at += taken;
    return taken;
}

t_size host_reader::read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) {
    const t_size from = m_at;
    const t_size taken = advance(p_bytes);
    if (taken != 0) memcpy(p_buffer, m_bytes + from, taken);
    return taken;
}

void host_reader::read_object(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) {
    if (read(p_buffer, p_bytes, p_abort) != p_bytes) throw host_stream_ended(m_at);
}

t_uint64 host_reader::skip(t_uint64 p_bytes, foobar2000_io::abort_callback&) {
    return advance(p_bytes < 0xFFFFFFFFu ? static_cast<t_size>(p_bytes) : 0xFFFFFFFFu);
}

void host_reader::skip_object(t_uint64 p_bytes, foobar2000_io::abort_callback& p_abort) {
    if (skip(p_bytes, p_abort) != p_bytes) throw host_stream_ended(m_at);
}

void host_writer::write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) {
    if (m_writes < 16) m_sizes[m_writes] = p_bytes;
    if (++m_writes == m_fault_at_write) raise_fault(m_fault, m_writes);
    m_bytes.append(p_buffer, p_bytes);
}

void host_sink::reserve(size_t p_length) {
    if (p_length + 1 <= m_capacity) return;
    char* grown = static_cast<char*>(realloc(m_text, p_length + 1));
    if (grown == nullptr) throw std::bad_alloc();
    m_text = grown;
    m_capacity = p_length + 1;
}

void host_sink::add_string(const char* p_string, t_size p_length) {
    const t_size length = bounded_length(p_string, p_length);
    reserve(m_length + length);
    if (length != 0) memcpy(m_text + m_length, p_string, length);
    m_length += length;
    m_text[m_length] = '\0';
}

void host_sink::set_string(const char* p_string, t_size p_length) {
    const t_size length = bounded_length(p_string, p_length);
    // A text from inside this very buffer is no longer than it: no realloc,
    // and a forward copy is safe.
    reserve(length);
    for (t_size i = 0; i < length; ++i) m_text[i] = p_string[i];
    m_length = length;
    m_text[m_length] = '\0';
}

void host_sink::truncate(t_size len) {
    if (len >= m_length) return;
    m_length = len;
    m_text[m_length] = '\0';
}

char* host_sink::lock_buffer(t_size n) {
    reserve(n);
    memset(m_text, 0, static_cast<size_t>(n) + 1);
    return m_text;
}

void host_sink::unlock_buffer() { m_length = static_cast<t_size>(strlen(m_text)); }
