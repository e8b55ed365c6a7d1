#pragma once

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
        const std::size_t left = m_data.size() - m_position;
        const t_size got = static_cast<t_size>(std::min<std::size_t>(p_bytes, left));
        if (got != 0) std::memcpy(p_buffer, m_data.data() + m_position, got);
        m_position += got;
        reads.push_back({p_bytes, got});
        return got;
    }

    std::size_t position() const { return m_position; }

    struct read_call {
        t_size asked;
        t_size got;
    };
    std::vector<read_call> reads;

private:
    bytes m_data;
    std::size_t m_position = 0;
};

// A host writer that keeps every write call apart, and can refuse one.
class recording_writer : public foobar2000_io::stream_writer {
public:
    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        if (fail_at_call == static_cast<int>(calls.size())) throw foobar2000_io::exception_io("disk full");
        const auto* first = static_cast<const unsigned char*>(p_buffer);
        calls.emplace_back(first, first + p_bytes);
    }

    bytes joined() const {
        bytes all;
        for (const auto& call : calls) all.insert(all.end(), call.begin(), call.end());
        return all;
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
        switch (behaviour) {
            case on_read::throw_io_data:
                throw foobar2000_io::exception_io_data("unusable record");
            case on_read::throw_bad_alloc:
                throw std::bad_alloc();
            case on_read::read_prefix: {
                bytes got(prefix);
                p_stream->read_object(got.data(), prefix, p_abort);
                received = got;
                return;
            }
            case on_read::read_all: {
                bytes got;
                unsigned char chunk[7];
                for (t_size n; (n = p_stream->read(chunk, sizeof chunk, p_abort)) > 0;) got.insert(got.end(), chunk, chunk + n);
                received = got;
                return;
            }
        }
    }

    void reset() {
        payload.clear();
        received.clear();
        sizehints.clear();
        behaviour = on_read::read_all;
        prefix = 0;
        throw_on_write = false;
    }

    bytes payload;
    bytes received;
    std::vector<t_size> sizehints;
    on_read behaviour = on_read::read_all;
    t_size prefix = 0;
    bool throw_on_write = false;
};

// The variables of this test program, in list order (the last constructed first):
// g_probe_last, cfgMainWindowPosition, cfgMainWindowSize, g_probe_first.
extern probe_var g_probe_first;
extern probe_var g_probe_last;
extern const GUID guid_probe_first;
extern const GUID guid_probe_last;
extern const GUID guid_nobody;

// Every variable back to its state at load.
void reset_variables();

bytes guid_bytes(const GUID& p_guid);
bytes le32(t_uint32 p_value);
// One record: GUID, payload length, payload.
bytes record(const GUID& p_guid, const bytes& p_payload);
// A record whose length field says p_length, followed by p_payload as given.
bytes record_claiming(const GUID& p_guid, t_uint32 p_length, const bytes& p_payload);
bytes pair_payload(t_int32 p_x, t_int32 p_y);
bytes operator+(bytes p_first, const bytes& p_second);

}  // namespace config_testing
