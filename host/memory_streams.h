#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/stream.h"

namespace host {

// The host's stream objects for a component's configuration: bytes in
// memory, so a file is only touched once the whole stream is known.

class no_abort : public foobar2000_io::abort_callback {
public:
    bool is_aborting() const override { return false; }
};

// Reads a byte string. Every early end of data is exception_io_data_truncation.
class memory_reader : public foobar2000_io::stream_reader {
public:
    explicit memory_reader(const std::vector<unsigned char>& p_data) noexcept : m_data(p_data) {}
    ~memory_reader() = default;

    t_size read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        const t_size got = static_cast<t_size>(std::min<std::size_t>(p_bytes, m_data.size() - m_position));
        if (got != 0) std::memcpy(p_buffer, m_data.data() + m_position, got);
        m_position += got;
        return got;
    }

    t_uint64 skip(t_uint64 p_bytes, foobar2000_io::abort_callback&) override {
        const t_uint64 passed = std::min<t_uint64>(p_bytes, m_data.size() - m_position);
        m_position += static_cast<std::size_t>(passed);
        return passed;
    }

private:
    const std::vector<unsigned char>& m_data;
    std::size_t m_position = 0;
};

// Collects everything written.
class memory_writer : public foobar2000_io::stream_writer {
public:
    ~memory_writer() = default;

    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        const auto* first = static_cast<const unsigned char*>(p_buffer);
        if (p_bytes != 0) m_data.insert(m_data.end(), first, first + p_bytes);
    }

    const std::vector<unsigned char>& data() const { return m_data; }

private:
    std::vector<unsigned char> m_data;
};

}  // namespace host
