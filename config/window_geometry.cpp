#include "config/window_geometry.h"

#include <cstring>

namespace {

void store_le32(unsigned char* p_out, t_int32 p_value) {
    const auto v = static_cast<t_uint32>(p_value);
    for (int i = 0; i < 4; ++i) p_out[i] = static_cast<unsigned char>(v >> (8 * i));
}

t_int32 load_le32(const unsigned char* p_in) {
    t_uint32 v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<t_uint32>(p_in[i]) << (8 * i);
    return static_cast<t_int32>(v);
}

}  // namespace

void cfgCoordinates::get_data_raw(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) {
    const coords value = m_coords;
    unsigned char bytes[8];
    store_le32(bytes, value.x);
    store_le32(bytes + 4, value.y);
    p_stream->write(bytes, sizeof bytes, p_abort);
}

void cfgCoordinates::set_data_raw(foobar2000_io::stream_reader* p_stream, t_size,
                                  foobar2000_io::abort_callback& p_abort) {
    unsigned char bytes[8];
    try {
        p_stream->read_object(bytes, sizeof bytes, p_abort);
    } catch (const foobar2000_io::exception_io_data&) {
        return;
    }
    m_coords = coords{load_le32(bytes), load_le32(bytes + 4)};
}
