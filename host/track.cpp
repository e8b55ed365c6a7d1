#include "host/track.h"

#include <cstdint>
#include <cstring>

#include "support/string8.h"

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

constexpr std::uint64_t byte_ones = 0x0101010101010101u;

// Every byte of p_word with A-Z in lower case, all other bytes as they are.
std::uint64_t ascii_lower(std::uint64_t p_word) {
    const std::uint64_t low7 = p_word & (byte_ones * 0x7F);
    // Per byte, bit 7 of the sums: the low seven bits are 'A' or above, 'Z' or above.
    const std::uint64_t from_a = low7 + byte_ones * (0x80 - 'A');
    const std::uint64_t past_z = low7 + byte_ones * (0x80 - 'Z' - 1);
    const std::uint64_t upper = (from_a ^ past_z) & ~p_word & (byte_ones * 0x80);
    return p_word | (upper >> 2);
}

template <typename t_word>
t_word load(const char* p_at) {
    t_word word;
    std::memcpy(&word, p_at, sizeof word);
    return word;
}

// Whether p_name (p_length bytes) folds to p_key, a folded name of the same
// length: in words, the last one ending at the end (a field name is mostly
// one or two of them), never reading outside either text.
bool same_folded(const char* p_name, const char* p_key, std::size_t p_length) {
    if (p_length >= 8) {
        for (std::size_t i = 0; i + 8 < p_length; i += 8) {
            if (ascii_lower(load<std::uint64_t>(p_name + i)) != load<std::uint64_t>(p_key + i)) return false;
        }
        const std::size_t last = p_length - 8;
        return ascii_lower(load<std::uint64_t>(p_name + last)) == load<std::uint64_t>(p_key + last);
    }
    if (p_length >= 4) {
        const std::size_t last = p_length - 4;
        return ascii_lower(std::uint64_t{load<std::uint32_t>(p_name)}) == load<std::uint32_t>(p_key) &&
               ascii_lower(std::uint64_t{load<std::uint32_t>(p_name + last)}) == load<std::uint32_t>(p_key + last);
    }
    for (std::size_t i = 0; i < p_length; ++i) {
        if (ascii_lower(p_name[i]) != p_key[i]) return false;
    }
    return true;
}

// Whether the p_length bytes at p_name are the field name p_key (folded)
// without regard to ASCII case. Lengths first: most fields differ there.
bool same_name(const char* p_name, std::size_t p_length, const std::string& p_key) {
    return p_length == p_key.size() && same_folded(p_name, p_key.data(), p_length);
}

}  // namespace

void track_info::add_value(std::string_view p_name, std::string p_value) {
    for (auto& f : m_fields) {
        if (same_name(p_name.data(), p_name.size(), f.key)) {
            f.values.push_back(std::move(p_value));
            return;
        }
    }
    m_fields.push_back(field{std::string(p_name), folded(p_name), {std::move(p_value)}});
}

t_size track_info::meta_find_field(const char* p_name, t_size p_name_length) const {
    const std::size_t length = pfc::strlen_max(p_name, p_name_length);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (same_name(p_name, length, m_fields[i].key)) return static_cast<t_size>(i);
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
