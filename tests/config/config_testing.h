#pragma once

#include "tests/error_message.h"

// In-memory stand-ins for the host's streams, a configuration variable that
// records what it is asked, and helpers that spell configuration records.

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "config/cfg_var.h"
#include "config/window_geometry.h"

namespace config_testing {

using bytes = std::vector<unsigned char>;

class no_abort : public foobar2000_io::abort_callback {
public:
    bool is_aborting() const override { return false; }
};

// A host reader over bytes. Only read is its own; the other three are the
// defaults under test, so every request shows in the log of reads.
class memory_reader : public foobar2000_io::stream_reader {
public:
    explicit memory_reader(bytes p_data) : m_data(std::move(p_data)) {}
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
class recording_writer : public foobar2000_io::stream_writer {
public:
    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        if (fail_at_call == static_cast<int>(calls.size())) throw foobar2000_io::exception_io("disk full");
        calls.emplace_back(static_cast<const unsigned char*>(p_buffer), static_cast<const unsigned char*>(p_buffer) + p_bytes);
    }
    std::vector<bytes> calls;
    int fail_at_call = -1;
};

// A variable whose behaviour each test sets, and which remembers its calls.
class probe_var : public cfg_var {
public:
    explicit probe_var(const GUID& p_guid) noexcept : cfg_var(p_guid) {}
    enum class on_read { read_all, read_prefix, throw_io_data, throw_bad_alloc };

    void get_data_raw(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) override {
        if (throw_on_write) throw std::runtime_error("variable failed");
        // In pieces, to show that the host still gets the payload in one.
        for (unsigned char byte : payload) p_stream->write(&byte, 1, p_abort);
    }
    void set_data_raw(foobar2000_io::stream_reader* p_stream, t_size p_sizehint,
                      foobar2000_io::abort_callback& p_abort) override {
        sizehints.push_back(p_sizehint);
        if (behaviour == on_read::throw_io_data) throw foobar2000_io::exception_io_data("unusable record");
        if (behaviour == on_read::throw_bad_alloc) throw std::bad_alloc();
        received.clear();
        if (behaviour == on_read::read_prefix) {
            received.resize(prefix);
            p_stream->read_object(received.data(), prefix, p_abort);
            return;
        }
        unsigned char chunk[7];
        for (t_size n; (n = p_stream->read(chunk, sizeof chunk, p_abort)) > 0;) received.insert(received.end(), chunk, chunk + n);
    }
    void reset() {
        payload.clear(), received.clear(), sizehints.clear();
        behaviour = on_read::read_all, prefix = 0, throw_on_write = false;
    }

    bytes payload, received;
    std::vector<t_size> sizehints;
    on_read behaviour = on_read::read_all;
    t_size prefix = 0;
    bool throw_on_write = false;
};

// The variables of this test program, in list order (the last constructed first):
// g_probe_last, cfgMainWindowPosition, cfgMainWindowSize, g_probe_first.
extern probe_var g_probe_first;
extern probe_var g_probe_last;
extern const GUID guid_probe_first, guid_probe_last, guid_nobody;

// Every variable back to its state at load.
inline void reset_variables() {
    g_probe_first.reset();
    g_probe_last.reset();
    cfgMainWindowSize.m_coords = {0, 0};
    cfgMainWindowPosition.m_coords = {0, 0};
}

inline bytes operator+(bytes p_first, const bytes& p_second) {
    p_first.insert(p_first.end(), p_second.begin(), p_second.end());
    return p_first;
}
inline bytes le32(t_uint32 p_value) {
    return {static_cast<unsigned char>(p_value), static_cast<unsigned char>(p_value >> 8),
            static_cast<unsigned char>(p_value >> 16), static_cast<unsigned char>(p_value >> 24)};
}
inline bytes guid_bytes(const GUID& p_guid) {
    bytes out = le32(p_guid.Data1);
    for (t_uint16 half : {p_guid.Data2, p_guid.Data3}) out = out + bytes{static_cast<unsigned char>(half), static_cast<unsigned char>(half >> 8)};
    return out + bytes(p_guid.Data4, p_guid.Data4 + 8);
}
// One record: GUID, payload length (or the length it claims), payload.
inline bytes record(const GUID& p_guid, const bytes& p_payload, long p_claimed = -1) {
    return guid_bytes(p_guid) + le32(static_cast<t_uint32>(p_claimed < 0 ? static_cast<long>(p_payload.size()) : p_claimed)) + p_payload;
}
inline bytes pair_payload(t_int32 p_x, t_int32 p_y) { return le32(static_cast<t_uint32>(p_x)) + le32(static_cast<t_uint32>(p_y)); }


}  // namespace config_testing
