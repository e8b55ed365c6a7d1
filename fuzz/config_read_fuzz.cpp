// Feeds arbitrary bytes to the configuration reader and checks it against a
// plain walk of the records: the variables end with the values the walk
// finds, the reader raises a stream error exactly when the walk runs off the
// end, nothing else escapes, and what the variables then hold writes out as
// two records and reads back unchanged.
//
// Each input costs a few calls on the stack and no allocation: the streams
// below read and write in place, and the variables are reset by assignment.
// Run with -malloc_limit_mb (fuzz/run.sh gives 16), so a reader that ever
// trusted a length and allocated by it fails on the first such input.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "config/cfg_var.h"
#include "config/record_codec.h"
#include "config/window_geometry.h"

cfgWindowSize cfgMainWindowSize(guid_cfgMainWindowSize, {0, 0});
cfgWindowPosition cfgMainWindowPosition(guid_cfgMainWindowPosition, {0, 0});

namespace {

using coords = cfgCoordinates::coords;

class no_abort final : public foobar2000_io::abort_callback {
public:
    bool is_aborting() const override { return false; }
};

// The host's reader at its plainest: only read is its own, so read_object,
// skip and skip_object are the stream's defaults under test too.
class span_reader final : public foobar2000_io::stream_reader {
public:
    span_reader(const std::uint8_t* p_data, std::size_t p_size) : m_data(p_data), m_left(p_size) {}
    t_size read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        const t_size got = p_bytes < m_left ? p_bytes : static_cast<t_size>(m_left);
        if (got != 0) std::memcpy(p_buffer, m_data, got);
        m_data += got;
        m_left -= got;
        return got;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_left;
};

// Takes at most what the component's whole configuration holds.
class fixed_writer final : public foobar2000_io::stream_writer {
public:
    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        if (p_bytes > sizeof m_data - m_size) std::abort();
        std::memcpy(m_data + m_size, p_buffer, p_bytes);
        m_size += p_bytes;
    }
    unsigned char m_data[component_config_size];
    std::size_t m_size = 0;
};

struct outcome {
    coords size;
    coords position;
    bool failed;  // a stream error reached the caller
};

// The records read one by one, as the format says: ending at a record's
// start or inside its GUID is the normal end; a matched record of 8 bytes or
// more sets its pair from its first 8; every record is passed over whole, and
// a stream that ends before a length or a record's end is an error.
outcome walk(const std::uint8_t* p_data, std::size_t p_size, outcome p_start) {
    outcome result = p_start;
    std::size_t at = 0;
    for (;;) {
        if (p_size - at < cfg_codec::guid_size) return result;
        if (p_size - at < cfg_codec::header_size) return result.failed = true, result;
        const GUID guid = cfg_codec::get_guid(p_data + at);
        const t_size length = cfg_codec::get_u32(p_data + at + cfg_codec::guid_size);
        at += cfg_codec::header_size;
        const std::size_t there = p_size - at;
        coords* target = guid == guid_cfgMainWindowSize ? &result.size : guid == guid_cfgMainWindowPosition ? &result.position : nullptr;
        if (target != nullptr && length >= 8 && there >= 8) {
            *target = coords{cfg_codec::get_i32(p_data + at), cfg_codec::get_i32(p_data + at + 4)};
        }
        if (length > there) return result.failed = true, result;
        at += length;
    }
}

void read_back(const unsigned char* p_data, std::size_t p_size) {
    no_abort abort;
    span_reader in(p_data, p_size);
    cfg_var::config_read_file(&in, abort);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    // Start values no record is likely to carry, so a record that is wrongly
    // ignored shows.
    const outcome start{{-7, 11}, {13, -17}, false};
    cfgMainWindowSize.m_coords = start.size;
    cfgMainWindowPosition.m_coords = start.position;

    no_abort abort;
    span_reader in(p_data, p_size);
    bool failed = false;
    try {
        cfg_var::config_read_file(&in, abort);
    } catch (const foobar2000_io::exception_io&) {
        failed = true;  // a damaged stream is the host's to report
    }
    const outcome expected = walk(p_data, p_size, start);
    const coords size = cfgMainWindowSize.m_coords;
    const coords position = cfgMainWindowPosition.m_coords;
    if (failed != expected.failed) std::abort();
    if (size.x != expected.size.x || size.y != expected.size.y) std::abort();
    if (position.x != expected.position.x || position.y != expected.position.y) std::abort();

    fixed_writer first;
    cfg_var::config_write_file(&first, abort);
    if (first.m_size != component_config_size) std::abort();
    cfgMainWindowSize.m_coords = {0, 0};
    cfgMainWindowPosition.m_coords = {0, 0};
    read_back(first.m_data, first.m_size);
    fixed_writer second;
    cfg_var::config_write_file(&second, abort);
    if (second.m_size != first.m_size || std::memcmp(first.m_data, second.m_data, first.m_size) != 0) std::abort();
    return 0;
}
