#pragma once

#include <type_traits>

#include "support/types.h"

// A read-only mask over positions 0, 1, 2, ...; the host reads the
// component's masks through these two slots, and the list reads the host's.
// Masks are owned by whoever builds them and live for one call; they are read
// on that call's thread and never change meanwhile. The component's masks
// raise nothing and allocate nothing.
class bit_array {
public:
    // The value at position n; any position may be asked.
    virtual bool get(t_size n) const = 0;
    // The first position from start, stepping by the sign of count over
    // |count| positions, whose value is val; start + count (unsigned 32-bit)
    // when none is. count 0 answers start and asks nothing.
    virtual t_size find(bool val, t_size start, t_int32 count) const;

protected:
    ~bit_array() = default;
};

// Views a caller-owned table, one element per position (nonzero: true);
// positions past its end all answer m_after. Does not own or copy the table,
// which must outlive the mask.
template <typename T>
class bit_array_table_t : public bit_array {
public:
    bit_array_table_t(const T* p_data, t_size p_count, bool p_after = false) noexcept
        : m_data(p_data), m_count(p_count), m_after(p_after) {}
    ~bit_array_table_t() = default;

    bool get(t_size n) const override {
        if (n >= m_count) return m_after;
        if constexpr (std::is_same_v<T, bool>) {
            // A table filled by other code may hold any byte; a bool load of
            // anything but 0 or 1 is undefined.
            return reinterpret_cast<const unsigned char*>(m_data)[n] != 0;
        } else {
            return m_data[n] != 0;
        }
    }

private:
    const T* m_data;
    t_size m_count;
    bool m_after;
};

// The count and the flag take 8 bytes with their padding: 24 bytes on x64, 16 on x86.
static_assert(sizeof(bit_array_table_t<bool>) == 2 * sizeof(void*) + 8, "vtable, table, count, then the value past the end");

// Every position is true.
class bit_array_true : public bit_array {
public:
    ~bit_array_true() = default;

    bool get(t_size) const override { return true; }
    // What the common find answers for an all-true mask, without asking.
    t_size find(bool val, t_size start, t_int32 count) const override {
        return val ? start : start + static_cast<t_size>(count);
    }
};
