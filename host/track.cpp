#include "host/track.h"

#include "support/string8.h"

namespace host {

namespace {

char ascii_lower(char p_char) { return p_char >= 'A' && p_char <= 'Z' ? static_cast<char>(p_char - 'A' + 'a') : p_char; }

bool same_name(std::string_view p_a, std::string_view p_b) {
    if (p_a.size() != p_b.size()) return false;
    for (std::size_t i = 0; i < p_a.size(); ++i) {
        if (ascii_lower(p_a[i]) != ascii_lower(p_b[i])) return false;
    }
    return true;
}

}  // namespace

void track_info::add_value(std::string_view p_name, std::string p_value) {
    for (auto& f : m_fields) {
        if (same_name(f.name, p_name)) {
            f.values.push_back(std::move(p_value));
            return;
        }
    }
    m_fields.push_back(field{std::string(p_name), {std::move(p_value)}});
}

t_size track_info::meta_find_field(const char* p_name, t_size p_name_length) const {
    const std::string_view name(p_name, pfc::strlen_max(p_name, p_name_length));
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (same_name(m_fields[i].name, name)) return static_cast<t_size>(i);
    }
    return field_not_found;
}

t_size track_info::meta_value_count(t_size p_field) const {
    return p_field < m_fields.size() ? static_cast<t_size>(m_fields[p_field].values.size()) : 0;
}

const char* track_info::meta_value_at(t_size p_field, t_size p_index) const {
    if (p_field >= m_fields.size() || p_index >= m_fields[p_field].values.size()) return nullptr;
    return m_fields[p_field].values[p_index].c_str();
}

t_int32 track::service_add_ref() noexcept { return ++m_references; }

t_int32 track::service_release() noexcept {
    if (m_references == 0) {
        ++m_misuses;
        return 0;
    }
    return --m_references;
}

bool track::peek_info(const file_info*& p_info) {
    if (!m_readable) return false;
    p_info = &m_info;
    return true;
}

void track::unlock_info() {
    if (m_lock_depth == 0) {
        ++m_misuses;
        return;
    }
    --m_lock_depth;
}

}  // namespace host
