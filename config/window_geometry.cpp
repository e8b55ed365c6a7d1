#include "config/window_geometry.h"

#include "config/record_codec.h"

void cfgCoordinates::get_data_raw(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) {
    const coords value = m_coords;
    unsigned char bytes[payload_size];
    cfg_codec::put_i32(bytes, value.x);
    cfg_codec::put_i32(bytes + 4, value.y);
    p_stream->write(bytes, sizeof bytes, p_abort);
}

void cfgCoordinates::set_data_raw(foobar2000_io::stream_reader* p_stream, t_size,
                                  foobar2000_io::abort_callback& p_abort) {
    unsigned char bytes[payload_size];
    try {
        p_stream->read_object(bytes, sizeof bytes, p_abort);
    } catch (const foobar2000_io::exception_io_data&) {
        return;
    }
    m_coords = coords{cfg_codec::get_i32(bytes), cfg_codec::get_i32(bytes + 4)};
}
