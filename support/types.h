#pragma once

#include <cstdint>

// Sizes, counts, lengths and indexes are unsigned 32-bit everywhere the host
// and the component meet, whatever the width of a pointer.
using t_size = std::uint32_t;
using t_uint8 = std::uint8_t;
using t_uint16 = std::uint16_t;
using t_uint32 = std::uint32_t;
using t_int32 = std::int32_t;
using t_uint64 = std::uint64_t;
using t_int64 = std::int64_t;

namespace pfc {

// As a length: the whole NUL-terminated text. As an insertion position: the end.
inline constexpr t_size infinite_size = 0xFFFFFFFFu;

}  // namespace pfc
