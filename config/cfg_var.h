#pragma once

#include "config/stream.h"
#include "support/guid.h"

// A configuration variable: a static object named by a GUID, whose value the
// host saves and restores through the component's configuration stream.
// Every variable links itself in at the head of cfg_var::list when it is
// constructed and never leaves, so the list runs in reverse construction order.
//
// The stream is a sequence of records with no header: 16 GUID bytes, a 32-bit
// little-endian payload length N, then N payload bytes.
class cfg_var {
public:
    // Writes the variable's payload (any number of bytes, none included).
    virtual void get_data_raw(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    // Replaces the value from p_stream, which delivers at most p_sizehint bytes
    // (the record's payload length).
    virtual void set_data_raw(foobar2000_io::stream_reader* p_stream, t_size p_sizehint,
                              foobar2000_io::abort_callback& p_abort) = 0;

    // One record per variable, list order (the variable constructed last first).
    static void config_write_file(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort);
    // Applies every record of the stream to the variable with its GUID.
    static void config_read_file(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort);

    const GUID& get_guid() const noexcept { return m_guid; }
    cfg_var* get_next() const noexcept { return m_next; }
    static cfg_var* get_list_head() noexcept { return list; }

protected:
    explicit cfg_var(const GUID& p_guid) noexcept : m_guid(p_guid), m_next(list) { list = this; }
    ~cfg_var() = default;

private:
    const GUID m_guid;
    cfg_var* m_next;

    static cfg_var* list;
};
