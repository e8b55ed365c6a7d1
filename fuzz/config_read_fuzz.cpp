// Feeds arbitrary bytes to the configuration reader. Whatever the input, the
// reader either applies it or raises a stream error, never anything else; and
// what the variables hold afterwards writes out and reads back unchanged.

#include <cstdint>
#include <cstdlib>

#include "config/cfg_var.h"
#include "config/window_geometry.h"
#include "tests/config/memory_streams.h"

cfgWindowSize cfgMainWindowSize(guid_cfgMainWindowSize, {0, 0});
cfgWindowPosition cfgMainWindowPosition(guid_cfgMainWindowPosition, {0, 0});

namespace {

using test_streams::memory_reader;
using test_streams::no_abort;

test_streams::bytes saved() {
    test_streams::recording_writer out;
    no_abort abort;
    cfg_var::config_write_file(&out, abort);
    return out.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    cfgMainWindowSize.m_coords = {0, 0};
    cfgMainWindowPosition.m_coords = {0, 0};
    no_abort abort;
    memory_reader in({p_data, p_size});
    try {
        cfg_var::config_read_file(&in, abort);
    } catch (const foobar2000_io::exception_io&) {
        // A damaged stream is the host's to report.
    }
    const test_streams::bytes first = saved();
    if (first.size() != component_config_size) std::abort();
    memory_reader again(first);
    cfg_var::config_read_file(&again, abort);
    if (saved() != first) std::abort();
    return 0;
}
