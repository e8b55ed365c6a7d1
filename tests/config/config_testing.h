#pragma once

#include "tests/error_message.h"

// A configuration variable that records what it is asked, and helpers that
// spell configuration records.

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "config/cfg_var.h"
#include "config/record_codec.h"
#include "config/window_geometry.h"
#include "tests/config/test_streams.h"

namespace config_testing {

using test_streams::bytes;

using test_streams::memory_reader;
using test_streams::no_abort;
using test_streams::recording_writer;

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
    bytes out(4);
    cfg_codec::put_u32(out.data(), p_value);
    return out;
}
inline bytes guid_bytes(const GUID& p_guid) {
    bytes out(cfg_codec::guid_size);
    cfg_codec::put_guid(out.data(), p_guid);
    return out;
}
// One record: GUID, payload length (or the length it claims), payload.
inline bytes record(const GUID& p_guid, const bytes& p_payload, std::int64_t p_claimed = -1) {
    bytes out(cfg_codec::header_size);
    cfg_codec::put_header(out.data(), p_guid, static_cast<t_uint32>(p_claimed < 0 ? static_cast<std::int64_t>(p_payload.size()) : p_claimed));
    return out + p_payload;
}
inline bytes pair_payload(t_int32 p_x, t_int32 p_y) {
    bytes out(cfgCoordinates::payload_size);
    cfg_codec::put_i32(out.data(), p_x);
    cfg_codec::put_i32(out.data() + 4, p_y);
    return out;
}

}  // namespace config_testing
