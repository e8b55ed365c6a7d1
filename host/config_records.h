#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "config/record_codec.h"

namespace host {

// The records of a stored configuration as the host reads its own files: a
// GUID, a length, that many bytes. The host knows that much of every
// component's stream and nothing of what a payload means; the component has
// its own reader. This one only shows a file and tells where it stops being
// whole.
using config_record = cfg_codec::record;

struct config_records {
    std::vector<config_record> whole;  // in file order
    std::size_t whole_length = 0;      // bytes up to the end of the last whole record
};

config_records split_records(std::span<const unsigned char> p_data);

}  // namespace host
