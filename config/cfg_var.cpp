#include "config/cfg_var.h"

#include "config/stream_adapters.h"

constinit cfg_var* cfg_var::list = nullptr;

namespace {

using payload_buffer = pfc::array_t<unsigned char, pfc::alloc_fast_aggressive>;

constexpr t_size guid_bytes = 16;
constexpr t_size length_bytes = 4;

// The standard GUID layout with its numbers little-endian, whatever the
// byte order of the machine.
void store_guid(const GUID& p_guid, unsigned char* p_out) {
    for (int i = 0; i < 4; ++i) p_out[i] = static_cast<unsigned char>(p_guid.Data1 >> (8 * i));
    for (int i = 0; i < 2; ++i) p_out[4 + i] = static_cast<unsigned char>(p_guid.Data2 >> (8 * i));
    for (int i = 0; i < 2; ++i) p_out[6 + i] = static_cast<unsigned char>(p_guid.Data3 >> (8 * i));
    for (int i = 0; i < 8; ++i) p_out[8 + i] = p_guid.Data4[i];
}

GUID load_guid(const unsigned char* p_in) {
    GUID guid{};
    for (int i = 0; i < 4; ++i) guid.Data1 |= static_cast<t_uint32>(p_in[i]) << (8 * i);
    guid.Data2 = static_cast<t_uint16>(p_in[4] | (p_in[5] << 8));
    guid.Data3 = static_cast<t_uint16>(p_in[6] | (p_in[7] << 8));
    for (int i = 0; i < 8; ++i) guid.Data4[i] = p_in[8 + i];
    return guid;
}

}  // namespace

// One payload buffer serves every variable: its storage is kept between
// records and released by its destructor on every path, errors included.
void cfg_var::config_write_file(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) {
    payload_buffer buffer;
    for (cfg_var* var = list; var != nullptr; var = var->m_next) {
        buffer.set_size(0);
        foobar2000_io::stream_writer_buffer_append_ref_t<payload_buffer> payload(buffer);
        var->get_data_raw(&payload, p_abort);

        unsigned char header[guid_bytes + length_bytes];
        store_guid(var->m_guid, header);
        const t_size count = buffer.get_size();
        for (t_size i = 0; i < length_bytes; ++i) header[guid_bytes + i] = static_cast<unsigned char>(count >> (8 * i));

        // Two separate writes, then the payload in one piece: peers may count on it.
        p_stream->write(header, guid_bytes, p_abort);
        p_stream->write(header + guid_bytes, length_bytes, p_abort);
        if (count != 0) p_stream->write(buffer.get_ptr(), count, p_abort);
    }
}

void cfg_var::config_read_file(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort) {
    for (;;) {
        unsigned char guid_in[guid_bytes];
        // A stream that ends here, or inside a GUID, has simply ended.
        if (p_stream->read(guid_in, guid_bytes, p_abort) < guid_bytes) return;
        unsigned char length_in[length_bytes];
        p_stream->read_object(length_in, length_bytes, p_abort);
        t_size length = 0;
        for (t_size i = 0; i < length_bytes; ++i) length |= static_cast<t_size>(length_in[i]) << (8 * i);

        const GUID guid = load_guid(guid_in);
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
