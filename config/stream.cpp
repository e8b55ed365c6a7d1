#include "config/stream.h"

#include <algorithm>

namespace foobar2000_io {

void stream_reader::read_object(void* p_buffer, t_size p_bytes, abort_callback& p_abort) {
    if (read(p_buffer, p_bytes, p_abort) != p_bytes) throw exception_io_data_truncation();
}

t_uint64 stream_reader::skip(t_uint64 p_bytes, abort_callback& p_abort) {
    if (p_bytes == 0) return 0;
    unsigned char scratch[256];
    t_uint64 total = 0;
    t_uint64 left = p_bytes;
    while (left > 0) {
        const t_size chunk = static_cast<t_size>(std::min<t_uint64>(left, sizeof scratch));
        const t_size got = read(scratch, chunk, p_abort);
        total += got;
        left -= got;
        if (got < chunk) break;
    }
    return total;
}

void stream_reader::skip_object(t_uint64 p_bytes, abort_callback& p_abort) {
    if (skip(p_bytes, p_abort) != p_bytes) throw exception_io_data_truncation();
}

}  // namespace foobar2000_io
