// Feeds arbitrary bytes to the configuration reader. Whatever the input, the
// reader either applies it or raises a stream error, never anything else; and
// what the variables hold afterwards writes out and reads back unchanged.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "config/cfg_var.h"
#include "config/window_geometry.h"

cfgWindowSize cfgMainWindowSize(guid_cfgMainWindowSize, {0, 0});
cfgWindowPosition cfgMainWindowPosition(guid_cfgMainWindowPosition, {0, 0});

namespace {

class no_abort : public foobar2000_io::abort_callback {
public:
    bool is_aborting() const override { return false; }
};

class reader : public foobar2000_io::stream_reader {
public:
    reader(const std::uint8_t* p_data, std::size_t p_size) : m_data(p_data), m_size(p_size) {}
    t_size read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        const std::size_t got = p_bytes < m_size - m_at ? p_bytes : m_size - m_at;
        if (got != 0) std::memcpy(p_buffer, m_data + m_at, got);
        m_at += got;
        return static_cast<t_size>(got);
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

class writer : public foobar2000_io::stream_writer {
public:
    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback&) override {
        const auto* bytes = static_cast<const std::uint8_t*>(p_buffer);
        data.insert(data.end(), bytes, bytes + p_bytes);
    }
    std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> saved() {
    writer out;
    no_abort abort;
    cfg_var::config_write_file(&out, abort);
    return out.data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    cfgMainWindowSize.m_coords = {0, 0};
    cfgMainWindowPosition.m_coords = {0, 0};
    no_abort abort;
    reader in(p_data, p_size);
    try {
        cfg_var::config_read_file(&in, abort);
    } catch (const foobar2000_io::exception_io&) {
        // A damaged stream is the host's to report.
    }
    const std::vector<std::uint8_t> first = saved();
    if (first.size() != component_config_size) std::abort();
    reader again(first.data(), first.size());
    cfg_var::config_read_file(&again, abort);
    if (saved() != first) std::abort();
    return 0;
}
