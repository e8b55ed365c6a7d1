#include "config/cfg_var.h"

#include "config/record_codec.h"
#include "config/stream_adapters.h"

constinit cfg_var* cfg_var::list = nullptr;

namespace {

using payload_buffer = pfc::array_t<unsigned char, pfc::alloc_fast_aggressive>;

}  // namespace

// One payload buffer serves every variable: its storage is kept between
// records and released by its destructor on every path, errors included.
void cfg_var::config_write_file(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) {
    payload_buffer buffer;
    for (cfg_var* var = list; var != nullptr; var = var->m_next) {
        buffer.set_size(0);
        foobar2000_io::stream_writer_buffer_append_ref_t<payload_buffer> payload(buffer);
        var->get_data_raw(&payload, p_abort);

        unsigned char header[cfg_codec::header_size];
        const t_size count = buffer.get_size();
        cfg_codec::put_header(header, var->m_guid, count);

        // Two separate writes, then the payload in one piece: peers may count on it.
        p_stream->write(header, cfg_codec::guid_size, p_abort);
        p_stream->write(header + cfg_codec::guid_size, cfg_codec::length_size, p_abort);
        if (count != 0) p_stream->write(buffer.get_ptr(), count, p_abort);
    }
}

void cfg_var::config_read_file(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) {
    for (;;) {
        unsigned char header[cfg_codec::header_size];
        // A stream that ends here, or inside a GUID, has simply ended.
        if (p_stream->read(header, cfg_codec::guid_size, p_abort) < cfg_codec::guid_size) return;
        p_stream->read_object(header + cfg_codec::guid_size, cfg_codec::length_size, p_abort);
        const GUID guid = cfg_codec::get_guid(header);
        const t_size length = cfg_codec::get_u32(header + cfg_codec::guid_size);

        cfg_var* var = list;
        while (var != nullptr && !(var->m_guid == guid)) var = var->m_next;

        if (var == nullptr) {
            p_stream->skip_object(length, p_abort);
            continue;
        }
        foobar2000_io::stream_reader_limited_ref record(p_stream, length);
        try {
            var->set_data_raw(&record, length, p_abort);
        } catch (const foobar2000_io::exception_io_data&) {
            // A record the variable cannot use leaves it as it was; the others still count.
        }
        // However much the variable read, the next record starts after this one.
        if (record.get_remaining() != 0) record.skip_object(record.get_remaining(), p_abort);
    }
}
