#pragma once

#include "config/stream.h"
#include "support/guid.h"

// A configuration variable: a static object named by a GUID, whose value the
// host saves and restores through the component's configuration stream.
// Every variable links itself in at the head of cfg_var::list when it is
// constructed and never leaves, so the list runs in reverse construction order.
// Values are plain fields, read and written only on the host's UI thread.
//
// The stream is a sequence of records with no header: 16 GUID bytes, a 32-bit
// little-endian payload length N, then N payload bytes.
//
// Reading a damaged stream. Records are applied as they come, so whatever
// precedes the damage stays applied: there is no all-or-nothing.
//   - Ends at a record's end or inside a GUID: the stream has simply ended.
//     The only damage that returns normally.
//   - Ends inside a length field: the host reader's read_object error.
//   - A GUID no variable has: the record is skipped whole; when the stream
//     ends inside it, the host reader's skip_object error.
//   - Ends inside a claimed record: the variable reads what is there, then
//     skipping the rest comes back short: exception_io_data_truncation.
//   - The variable refuses its record with an io data error (exception_io_data
//     or a subtype, e.g. the record is too short for it): dropped. The
//     variable keeps what its own handling leaves, the rest of the record is
//     skipped, and reading goes on.
//   - Any other error of a variable (std::bad_alloc, ...) reaches the caller
//     at once, mid-record.
class cfg_var {
public:
    // Writes the variable's payload (any number of bytes, none included) to
    // p_stream, borrowed for the call. [ui-thread] [throws: what p_stream
    // raises (std::bad_alloc from the component's buffer), the variable's own]
    virtual void get_data_raw(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) = 0;
    // Replaces the value from p_stream, which delivers at most p_sizehint bytes
    // (the record's payload length) and comes back short at the record's end.
    // [ui-thread] [throws: exception_io_data to refuse the record, dropped by
    // the reader; anything else reaches the host]
    virtual void set_data_raw(foobar2000_io::stream_reader* p_stream, t_size p_sizehint,
                              foobar2000_io::abort_callback& p_abort) = 0;

    // One record per variable, list order (the variable constructed last
    // first): two writes, plus a third for a non-empty payload, so the host
    // gets each payload in one piece. A failure leaves the records before it
    // written. [ui-thread] [throws: host errors, a variable's, std::bad_alloc]
    static void config_write_file(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort);
    // Applies every record of the stream to the variable with its GUID, in
    // stream order (the later of two records with one GUID wins); damage as
    // above. [ui-thread] [throws: host errors, exception_io_data_truncation,
    // a variable's errors other than io data errors]
    static void config_read_file(foobar2000_io::stream_reader* p_stream, foobar2000_io::abort_callback& p_abort);

    const GUID& get_guid() const noexcept { return m_guid; }
    cfg_var* get_next() const noexcept { return m_next; }
    static cfg_var* get_list_head() noexcept { return list; }

protected:
    // Links in at the head. That writes another static, so no variable can be
    // constinit: each is built by code, in the order of its file.
    explicit cfg_var(const GUID& p_guid) noexcept : m_guid(p_guid), m_next(list) { list = this; }
    ~cfg_var() = default;

private:
    const GUID m_guid;
    cfg_var* m_next;

    // Constant-initialised (cfg_var.cpp), so it is null before the first
    // variable's constructor runs, in whichever file that variable is.
    static constinit cfg_var* list;
};
