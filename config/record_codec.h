#pragma once

#include <cstddef>
#include <span>

#include "support/guid.h"
#include "support/types.h"

// The bytes of the configuration stream, spelled the same by the component,
// the host and the tests: records of 16 GUID bytes, a payload length N, then
// N payload bytes, every number little-endian. Values are packed byte by
// byte, never copied from memory, so the bytes are the same on a machine of
// either byte order.
namespace cfg_codec {

inline constexpr t_size guid_size = 16;
inline constexpr t_size length_size = 4;
inline constexpr t_size header_size = guid_size + length_size;

// A whole record with a payload of p_payload bytes.
constexpr std::size_t record_size(std::size_t p_payload) noexcept { return header_size + p_payload; }

// The put functions fill, and the get functions read, the 4 (u32, i32) or 16
// (GUID) bytes at the pointer.
constexpr void put_u32(unsigned char* p_out, t_uint32 p_value) noexcept {
    for (unsigned i = 0; i < 4; ++i) p_out[i] = static_cast<unsigned char>(p_value >> (8 * i));
}

constexpr t_uint32 get_u32(const unsigned char* p_in) noexcept {
    t_uint32 value = 0;
    for (unsigned i = 0; i < 4; ++i) value |= static_cast<t_uint32>(p_in[i]) << (8 * i);
    return value;
}

// Two's complement, as the stream stores it.
constexpr void put_i32(unsigned char* p_out, t_int32 p_value) noexcept { put_u32(p_out, static_cast<t_uint32>(p_value)); }
constexpr t_int32 get_i32(const unsigned char* p_in) noexcept { return static_cast<t_int32>(get_u32(p_in)); }

constexpr void put_guid(unsigned char* p_out, const GUID& p_guid) noexcept {
    put_u32(p_out, p_guid.Data1);
    for (unsigned i = 0; i < 2; ++i) {
        p_out[4 + i] = static_cast<unsigned char>(p_guid.Data2 >> (8 * i));
        p_out[6 + i] = static_cast<unsigned char>(p_guid.Data3 >> (8 * i));
    }
    for (unsigned i = 0; i < 8; ++i) p_out[8 + i] = p_guid.Data4[i];
}

constexpr GUID get_guid(const unsigned char* p_in) noexcept {
    GUID guid{};
    guid.Data1 = get_u32(p_in);
    guid.Data2 = static_cast<t_uint16>(p_in[4] | p_in[5] << 8);
    guid.Data3 = static_cast<t_uint16>(p_in[6] | p_in[7] << 8);
    for (unsigned i = 0; i < 8; ++i) guid.Data4[i] = p_in[8 + i];
    return guid;
}

// The header_size bytes that open a record: its GUID, then the length it
// claims (which need not be the payload that follows, in a damaged stream).
constexpr void put_header(unsigned char* p_out, const GUID& p_guid, t_uint32 p_length) noexcept {
    put_guid(p_out, p_guid);
    put_u32(p_out + guid_size, p_length);
}

struct record {
    GUID guid;
    std::span<const unsigned char> payload;
};

// Walks the records of a stream held in memory, in order, and stops before
// the first one the bytes do not hold whole. Borrows the bytes.
class record_reader {
public:
    explicit constexpr record_reader(std::span<const unsigned char> p_data) noexcept : m_data(p_data) {}

    // The next whole record into p_out; false at the end of the data or at
    // a record cut short, which stays unread.
    constexpr bool next(record& p_out) noexcept {
        const std::size_t left = m_data.size() - m_position;
        if (left < header_size) return false;
        const std::size_t length = get_u32(m_data.data() + m_position + guid_size);
        if (length > left - header_size) return false;
        p_out.guid = get_guid(m_data.data() + m_position);
        p_out.payload = m_data.subspan(m_position + header_size, length);
        m_position += record_size(length);
        return true;
    }

    // The bytes of the whole records read so far.
    constexpr std::size_t position() const noexcept { return m_position; }

private:
    std::span<const unsigned char> m_data;
    std::size_t m_position = 0;
};

}  // namespace cfg_codec
