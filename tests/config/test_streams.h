#pragma once

// Stand-ins for the host's stream objects, over bytes in memory, for every
// test that hands the component a configuration stream.

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "config/stream.h"
#include "support/exceptions.h"

namespace test_streams {

using bytes = std::vector<unsigned char>;

class no_abort final : public foobar2000_io::abort_callback {
public:
    bool is_aborting() const override { return false; }
};

// A host reader over a copy of the bytes. Only read is its own: read_object,
// skip and skip_object are the stream's defaults, so every request shows in
// the log of reads.
class memory_reader final : public foobar2000_io::stream_reader {
public:
    explicit memory_reader(std::span<const unsigned char> p_data) : m_data(p_data.begin(), p_data.end()) {}

    t_size read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        const t_size got = static_cast<t_size>(std::min<std::size_t>(p_bytes, m_data.size() - position));
        if (got != 0) std::memcpy(p_buffer, m_data.data() + position, got);
        position += got;
        reads.emplace_back(p_bytes, got);
        return got;
    }

    std::vector<std::pair<t_size, t_size>> reads;  // asked, got
    std::size_t position = 0;

private:
    bytes m_data;
};

// A host writer that keeps every write call apart, and can refuse one.
class recording_writer final : public foobar2000_io::stream_writer {
public:

    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        if (fail_at_call == static_cast<int>(calls.size())) throw foobar2000_io::exception_io("disk full");
        const auto* first = static_cast<const unsigned char*>(p_buffer);
        calls.emplace_back(first, first + p_bytes);
    }

    // Everything written, joined.
    bytes data() const {
        bytes out;
        for (const bytes& call : calls) out.insert(out.end(), call.begin(), call.end());
        return out;
    }

    std::vector<bytes> calls;
    int fail_at_call = -1;
};

}  // namespace test_streams
