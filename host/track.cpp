#include "host/track.h"

namespace host {

namespace {

char ascii_lower(char p_char) {
    const auto byte = static_cast<unsigned char>(p_char);
    return static_cast<char>(byte + (static_cast<unsigned char>(byte - 'A') < 26 ? 'a' - 'A' : 0));
}

std::string folded(std::string_view p_name) {
    std::string key(p_name);
    for (char& c : key) c = ascii_lower(c);
    return key;
}

// Whether the first p_key.size() bytes at p_name fold to p_key; stops at the
// first byte that does not, so a shorter NUL-terminated name is read no
// further than its NUL when the key has none.
bool starts_folded(const char* p_name, const std::string& p_key) {
    for (std::size_t i = 0; i < p_key.size(); ++i) {
        if (ascii_lower(p_name[i]) != p_key[i]) return false;
    }
    return true;
}

}  // namespace

void track_info::add_value(std::string_view p_name, std::string p_value) {
    for (auto& f : m_fields) {
        if (p_name.size() == f.key.size() && starts_folded(p_name.data(), f.key)) {
            f.values.push_back(std::move(p_value));
            return;
        }
    }
    std::string key = folded(p_name);
    const bool findable = key.find('\0') == std::string::npos;
    m_fields.push_back(field{std::string(p_name), std::move(key), findable, {std::move(p_value)}});
}

t_size track_info::meta_find_field(const char* p_name, t_size p_name_length) const noexcept {
    // The name is its first p_name_length bytes, or fewer up to its NUL. Each
    // field's name is compared without measuring the name first: it matches
    // when its bytes fold to the key and the name ends right there.
    if (p_name == nullptr) p_name = "";
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const field& f = m_fields[i];
        const std::size_t length = f.key.size();
        if (!f.findable || p_name_length < length || !starts_folded(p_name, f.key)) continue;
        if (p_name_length == length || p_name[length] == '\0') return static_cast<t_size>(i);
    }
    return field_not_found;
}

t_size track_info::meta_value_count(t_size p_field) const noexcept {
    return p_field < m_fields.size() ? static_cast<t_size>(m_fields[p_field].values.size()) : 0;
}

const char* track_info::meta_value_at(t_size p_field, t_size p_index) const noexcept {
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

bool track::peek_info(const file_info*& p_info) noexcept {
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
