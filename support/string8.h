#pragma once

#include <cstdint>
#include <cstring>

#include "support/array.h"
#include "support/string_base.h"
#include "support/types.h"

namespace pfc {

// Bytes before the first NUL, at most p_max; reads nothing at or past p_max.
// Null counts as empty. Every bounded length in the project is this one:
// p_max infinite_size is the whole NUL-terminated text, a caller's own limit
// (the UTF-8 conversion's 65,536 bytes) caps what a missing NUL can cost.
t_size strlen_max(const char* p_string, t_size p_max) noexcept;

// The component's own text buffer. Owns its block. The whole block counts as
// in use (count = capacity); its size follows the fit rule: grow to the need
// plus 16 bytes, shrink to exactly the need only when more than 32 would
// stand spare. Any operation that runs out of memory, or whose size would not
// fit in 32 bits, throws std::bad_alloc ("bad allocation") and changes nothing.
// Texts may come from inside the buffer itself; they are copied out first.
template <template <typename> class t_alloc>
class string8_t : public string_base {
public:
    string8_t() noexcept = default;
    explicit string8_t(const char* p_string, t_size p_length = infinite_size) { set_string(p_string, p_length); }
    string8_t(const string8_t& p_source) : string_base() { set_string(p_source.get_ptr(), p_source.get_length()); }
    string8_t& operator=(const string8_t& p_source) {
        set_string(p_source.get_ptr(), p_source.get_length());
        return *this;
    }
    string8_t& operator=(const char* p_string) {
        set_string(p_string);
        return *this;
    }
    ~string8_t() = default;

    void add_string(const char* p_string, t_size p_length = infinite_size) override {
        if (p_length != 0 && owns(p_string)) {
            const string8_t copy(p_string, p_length);
            add_string(copy.get_ptr(), infinite_size);
            return;
        }
        const t_size len = strlen_max(p_string, p_length);
        fit(static_cast<t_uint64>(m_length) + len + 1);
        copy_in(m_length, p_string, len);
    }

    const char* get_ptr() const override { return m_length > 0 ? m_storage.get_ptr() : empty_text(); }

    void set_string(const char* p_string, t_size p_length = infinite_size) override {
        if (p_length != 0 && owns(p_string)) {
            string8_t copy;
            copy.set_string(p_string, p_length);
            set_string(copy.get_ptr(), infinite_size);
            return;
        }
        const t_size len = strlen_max(p_string, p_length);
        fit(static_cast<t_uint64>(len) + 1);
        copy_in(0, p_string, len);
    }

    void truncate(t_size len) override {
        if (m_length <= len) return;
        // Fitting first keeps the text whole if the shrink fails; the block
        // still holds position len afterwards.
        fit(static_cast<t_uint64>(len) + 1);
        m_length = len;
        m_storage[len] = 0;
    }

    t_size get_length() const override { return m_length; }

    char* lock_buffer(t_size n) override {
        fit(static_cast<t_uint64>(n) + 1);
        char* block = m_storage.get_ptr();
        std::memset(block, 0, m_storage.get_size());
        return block;
    }

    void unlock_buffer() override {
        // A writer that filled every byte has left no NUL: the scan stops at
        // the block's end, and the terminator is put back after the fit.
        const t_size len = strlen_max(m_storage.get_ptr(), m_storage.get_size());
        fit(static_cast<t_uint64>(len) + 1);
        m_length = len;
        m_storage[len] = 0;
    }

    bool is_empty() const noexcept { return m_length == 0; }
    // The byte storage, for callers that account for memory.
    const array_t<char, t_alloc>& get_storage() const noexcept { return m_storage; }

private:
    static const char* empty_text() noexcept {
        static const char empty[1] = {0};
        return empty;
    }

    bool owns(const char* p_string) const noexcept {
        const char* block = m_storage.get_ptr();
        if (block == nullptr || p_string == nullptr) return false;
        const auto at = reinterpret_cast<std::uintptr_t>(p_string);
        const auto begin = reinterpret_cast<std::uintptr_t>(block);
        return at >= begin && at - begin < m_storage.get_size();
    }

    // need: a text length plus its NUL, wide enough that the sums of the
    // callers cannot wrap.
    void fit(t_uint64 p_need) {
        const t_size have = m_storage.get_size();
        if (have < p_need) {
            const t_uint64 grown = p_need + 16;
            if (grown > infinite_size) throw_bad_alloc();
            m_storage.set_size(static_cast<t_size>(grown), static_cast<t_size>(grown));
        } else if (have > p_need + 32) {
            m_storage.set_size(static_cast<t_size>(p_need), static_cast<t_size>(p_need));
        }
    }

    void copy_in(t_size p_at, const char* p_string, t_size p_len) noexcept {
        char* block = m_storage.get_ptr();
        if (p_len > 0) std::memcpy(block + p_at, p_string, p_len);
        m_length = p_at + p_len;
        block[m_length] = 0;
    }

    array_t<char, t_alloc> m_storage;
    t_size m_length = 0;
};

using string8 = string8_t<alloc_standard>;

// The length is padded to the pointer's width: 32 bytes on x64, 20 on x86.
static_assert(sizeof(string8) == sizeof(void*) + sizeof(array_fields_t<char>) + sizeof(void*),
              "vtable, the three-field storage, then the length");

}  // namespace pfc
