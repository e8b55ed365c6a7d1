#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "support/guid.h"

namespace host {

// The records of a stored configuration as the host reads its own files: a
// GUID, a 32-bit little-endian length, that many bytes. The component has its
// own reader; this one only shows a file and tells where it stops being whole.
struct config_record {
    GUID guid;
    std::span<const unsigned char> payload;
};

struct config_records {
    std::vector<config_record> whole;  // in file order
    std::size_t whole_length = 0;      // bytes up to the end of the last whole record
};

config_records split_records(std::span<const unsigned char> p_data);

// A signed 32-bit little-endian value at p_at.
t_int32 le32_at(std::span<const unsigned char> p_data, std::size_t p_at);

}  // namespace host
