// The configuration the host saves and restores through the client: the
// stream's bytes, damaged streams, and errors of the host's own streams in
// both directions.
#include "host.h"

namespace {

// The position record then the size record of position (100, 50), size (400, 300).
const t_uint8 example[56] = {
    0x1E, 0x32, 0x4D, 0x46, 0x71, 0x34, 0x69, 0x4A, 0xBF, 0xBE, 0x57, 0xD0, 0xA4, 0x72, 0xAD, 0x1D,
    0x08, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x00, 0x32, 0x00, 0x00, 0x00,
    0x91, 0x1F, 0xAF, 0xAA, 0x0B, 0x0E, 0x17, 0x4F, 0x89, 0x75, 0x8E, 0x96, 0xA4, 0x17, 0x8B, 0xC7,
    0x08, 0x00, 0x00, 0x00, 0x90, 0x01, 0x00, 0x00, 0x2C, 0x01, 0x00, 0x00};
constexpr t_size record_size = 28;
// The sizes of the writes that save the two records: GUID, length, payload.
const t_size record_writes[] = {16, 4, 8, 16, 4, 8};
constexpr t_size first_payload_byte = 20;

// set_config from p_bytes, or from p_reader (a reader over them told to fail) when given.
void set_config(host& p_host, const byte_buffer& p_bytes, host_reader* p_reader = nullptr) {
    host_reader reader(p_bytes.data(), static_cast<t_size>(p_bytes.size()));
    p_host.component.client->set_config(p_reader != nullptr ? p_reader : &reader, p_host.abort);
}

bool expect_geometry(host& p_host, check_result& p_result, const geometry& p_expected) {
    geometry saved;
    if (!saved_geometry(p_host, p_result, saved)) return false;
    return p_result.expect(memcmp(&saved, &p_expected, sizeof saved) == 0,
                           "saved position (%ld, %ld) and size (%ld, %ld), not (%ld, %ld) and (%ld, %ld)",
                           static_cast<long>(saved.x), static_cast<long>(saved.y), static_cast<long>(saved.width),
                           static_cast<long>(saved.height), static_cast<long>(p_expected.x),
                           static_cast<long>(p_expected.y), static_cast<long>(p_expected.width),
                           static_cast<long>(p_expected.height));
}

template <typename E>
void catch_truncation(host& p_host, check_result& p_result, const byte_buffer& p_bytes) {
    expect_error<E>(p_result, "set_config", "Unsupported format or corrupted file",
                    [&] { set_config(p_host, p_bytes); });
}

}  // namespace

void check_config(host& p_host) {
    foobar2000_client* client = p_host.component.client;
    const geometry known = {1, 2, 3, 4};

    check("on a fresh load, get_config writes the two zero records in two writes each and one per payload",
          [&](check_result& r) {
              host_writer writer;
              client->get_config(&writer, p_host.abort);
              byte_buffer zeros;
              geometry_stream(zeros, {0, 0, 0, 0});
              r.expect(writer.m_bytes.size() == 56 && memcmp(writer.m_bytes.data(), zeros.data(), 56) == 0,
                       "%u other bytes", static_cast<unsigned>(writer.m_bytes.size()));
              r.expect(writer.m_writes == 6 && memcmp(writer.m_sizes, record_writes, sizeof record_writes) == 0,
                       "%d writes of %u, %u, %u, ... bytes", writer.m_writes, writer.m_sizes[0], writer.m_sizes[1],
                       writer.m_sizes[2]);
              r.expect(p_host.abort.m_asks == 0, "the abort object was asked");
          });

    check("set_config of position (100, 50) and size (400, 300) saves back the very same 56 bytes",
          [&](check_result& r) {
              host_reader reader(example, sizeof example);
              client->set_config(&reader, p_host.abort);
              host_writer writer;
              client->get_config(&writer, p_host.abort);
              r.expect(writer.m_bytes.size() == 56 && memcmp(writer.m_bytes.data(), example, 56) == 0,
                       "%u other bytes", static_cast<unsigned>(writer.m_bytes.size()));
          });

    check("a record no variable claims is skipped whole, and the records after it apply", [&](check_result& r) {
        byte_buffer bytes;
        const GUID unknown = {0x01234567, 0x89AB, 0xCDEF, {1, 2, 3, 4, 5, 6, 7, 8}};
        const t_uint32 length = 1000;
        t_uint8 payload[1000];
        memset(payload, 0x5A, sizeof payload);
        bytes.append(&unknown, sizeof unknown);
        bytes.append(&length, 4);
        bytes.append(payload, sizeof payload);
        geometry_stream(bytes, {11, 12, 13, 14});
        set_config(p_host, bytes);
        expect_geometry(p_host, r, {11, 12, 13, 14});
    });

    check("a record shorter than its variable needs leaves it, and the record after it applies",
          [&](check_result& r) {
              restore_geometry(p_host, known);
              byte_buffer bytes, full;
              geometry_stream(full, {21, 22, 23, 24});
              const t_uint32 short_length = 4;
              bytes.append(full.data(), 16);
              bytes.append(&short_length, 4);
              bytes.append(full.data() + first_payload_byte, 4);
              bytes.append(full.data() + record_size, record_size);
              set_config(p_host, bytes);
              expect_geometry(p_host, r, {1, 2, 23, 24});
          });

    // A stream that ends inside the position record's payload.
    struct truncation {
        const char* name;
        void (*catch_it)(host&, check_result&, const byte_buffer&);
    };
    static const truncation catchers[] = {
        {"exception_io_data_truncation", &catch_truncation<foobar2000_io::exception_io_data_truncation>},
        {"exception_io_data", &catch_truncation<foobar2000_io::exception_io_data>},
        {"exception_io", &catch_truncation<foobar2000_io::exception_io>},
        {"std::exception", &catch_truncation<std::exception>},
    };
    check("a stream ending inside a record throws exception_io_data_truncation, caught by its type and each base",
          [&](check_result& r) {
              byte_buffer cut;
              geometry_stream(cut, {31, 32, 33, 34});
              byte_buffer bytes;
              bytes.append(cut.data(), first_payload_byte + 4);
              for (const truncation& catcher : catchers) {
                  restore_geometry(p_host, known);
                  check_result caught;
                  catcher.catch_it(p_host, caught, bytes);
                  r.expect(caught.passed(), "as %s: %s", catcher.name, caught.detail());
                  expect_geometry(p_host, r, known);
              }
          });

    check("a stream ending inside a length field: the host reader's own error comes back as itself",
          [&](check_result& r) {
              restore_geometry(p_host, known);
              byte_buffer full, bytes;
              geometry_stream(full, {41, 42, 43, 44});
              bytes.append(full.data(), record_size + 16 + 2);
              expect_throws<host_stream_ended>(r, "set_config", [&] { set_config(p_host, bytes); },
                                               [&](const host_stream_ended& e) {
                                                   r.expect(e.m_at == record_size + 18, "it ended at byte %u", e.m_at);
                                               });
              expect_geometry(p_host, r, {41, 42, 3, 4});
          });

    check("the host reader's own io data error while a variable reads is dropped; the records after it apply",
          [&](check_result& r) {
              restore_geometry(p_host, known);
              byte_buffer bytes;
              geometry_stream(bytes, {51, 52, 53, 54});
              host_reader reader(bytes.data(), static_cast<t_size>(bytes.size()));
              reader.m_fault = fault::io_data;
              reader.m_fault_at = first_payload_byte;
              set_config(p_host, bytes, &reader);
              expect_geometry(p_host, r, {1, 2, 53, 54});
          });

    // Errors of the host's own streams, which the component knows nothing of
    // (or, std::bad_alloc, does not catch), come back to the host as they left.
    struct stream_fault {
        const char* name;
        bool writer;
        fault raised;
        int at;  // the byte of the reader, the write of the writer
    };
    static const stream_fault faults[] = {
        {"a host error of the reader while a variable reads comes back as itself, its data intact", false,
         fault::host_error, first_payload_byte + 2},
        {"the host reader's std::bad_alloc while a variable reads comes back as std::bad_alloc", false,
         fault::bad_alloc, first_payload_byte},
        {"a host error of the writer during get_config comes back as itself, its data intact", true,
         fault::host_error, 2},
        {"the host writer's std::bad_alloc during get_config comes back as std::bad_alloc", true, fault::bad_alloc,
         3},
    };
    for (const stream_fault& row : faults) {
        check(row.name, [&](check_result& r) {
            restore_geometry(p_host, known);
            byte_buffer bytes;
            geometry_stream(bytes, {61, 62, 63, 64});
            host_reader reader(bytes.data(), static_cast<t_size>(bytes.size()));
            host_writer writer;
            auto call = [&] {
                if (row.writer) {
                    client->get_config(&writer, p_host.abort);
                } else {
                    set_config(p_host, bytes, &reader);
                }
            };
            (row.writer ? writer.m_fault : reader.m_fault) = row.raised;
            writer.m_fault_at_write = row.at;
            reader.m_fault_at = static_cast<t_size>(row.at);
            if (row.raised == fault::bad_alloc) {
                expect_error<std::bad_alloc>(r, row.writer ? "get_config" : "set_config", "bad allocation", call);
            } else {
                expect_throws<host_error>(r, row.writer ? "get_config" : "set_config", call, [&](const host_error& e) {
                    r.expect(e.m_code == row.at && strcmp(e.m_note, "raised") == 0, "it came back as (%d, \"%s\")",
                             e.m_code, e.m_note);
                });
            }
            if (row.writer) {
                // What was written before the failing write stays written.
                size_t before = 0;
                for (int i = 0; i + 1 < row.at; ++i) before += record_writes[i];
                r.expect(writer.m_bytes.size() == before, "%u bytes kept, not %u",
                         static_cast<unsigned>(writer.m_bytes.size()), static_cast<unsigned>(before));
            }
            expect_geometry(p_host, r, known);
        });
    }
}
