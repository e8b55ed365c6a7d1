#pragma once

#include <cassert>
#include <cstring>

#include "support/exceptions.h"
#include "support/raw_memory.h"
#include "support/types.h"

namespace pfc {

// A text holder without an interface and without headroom: its block is
// exactly the text plus its NUL, reallocated only when that size changes.
// Owns its block; an assignment that runs out of memory changes nothing.
// The empty holder allocates nothing, so a static one can be constinit.
template <typename t_char>
class string_simple_t {
public:
    constexpr string_simple_t() noexcept = default;
    string_simple_t(const string_simple_t&) = delete;
    string_simple_t& operator=(const string_simple_t&) = delete;
    ~string_simple_t() { raw_free(m_data.m_items); }

    // p_text: non-null, NUL-terminated; it may point into the holder's own
    // text. [throws: std::bad_alloc, the text kept]
    string_simple_t& operator=(const t_char* p_text) {
        assert(p_text != nullptr && "no text to assign");
        std::size_t length = 0;
        while (p_text[length] != 0) ++length;
        if (length >= infinite_size) throw_bad_alloc();
        const t_size need = static_cast<t_size>(length) + 1;
        const bool inside = m_data.m_items != nullptr && p_text >= m_data.m_items &&
                            p_text < m_data.m_items + m_data.m_capacity;
        if (need != m_data.m_capacity && inside) {
            // The source would move with the block: copy it into a fresh one.
            auto* fresh = static_cast<t_char*>(raw_malloc(need * sizeof(t_char)));
            std::memcpy(fresh, p_text, length * sizeof(t_char));
            raw_free(m_data.m_items);
            m_data.m_items = fresh;
        } else if (need != m_data.m_capacity) {
            m_data.m_items = static_cast<t_char*>(raw_realloc(m_data.m_items, need * sizeof(t_char)));
            std::memcpy(m_data.m_items, p_text, length * sizeof(t_char));
        } else {
            std::memmove(m_data.m_items, p_text, length * sizeof(t_char));
        }
        m_data.m_capacity = need;
        m_data.m_items[length] = 0;
        m_data.m_count = need;
        return *this;
    }

    const t_char* get_ptr() const noexcept {
        static constexpr t_char empty[1] = {0};
        return m_data.m_count > 0 ? m_data.m_items : empty;
    }
    t_size get_length() const noexcept { return m_data.m_count > 0 ? m_data.m_count - 1 : 0; }
    t_size get_capacity() const noexcept { return m_data.m_capacity; }

private:
    struct {
        t_char* m_items = nullptr;
        t_size m_count = 0;
        t_size m_capacity = 0;
    } m_data;
};

}  // namespace pfc
