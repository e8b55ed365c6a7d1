#pragma once

#include "support/exceptions.h"
#include "support/types.h"

// The host's stream interfaces, as the component calls and implements them.
// None of them has a destructor among its slots: streams are owned by whoever
// made them and are only borrowed for one call, as are the buffers passed to
// them. Every slot runs on the host's UI thread, inside a configuration call.
namespace foobar2000_io {

// The host's abort object. The component never asks it; it only hands it on
// to every stream operation, so that the host's own streams can end a
// transfer by throwing.
class abort_callback {
public:
    virtual bool is_aborting() const = 0;

protected:
    ~abort_callback() = default;
};

class stream_reader {
public:
    // Delivers up to p_bytes into p_buffer and answers how many came; fewer
    // than asked means the data has ended, so a reader answers short only
    // there. Every reader supplies its own. [throws: the reader's own errors]
    virtual t_size read(void* p_buffer, t_size p_bytes, abort_callback& p_abort) = 0;
    // Exactly p_bytes; one read, no retry. Bytes delivered before a short
    // read stay consumed. [throws: exception_io_data_truncation, read's]
    virtual void read_object(void* p_buffer, t_size p_bytes, abort_callback& p_abort);
    // Passes over up to p_bytes in 256-byte chunks through read, on the stack;
    // answers how many. [throws: read's]
    virtual t_uint64 skip(t_uint64 p_bytes, abort_callback& p_abort);
    // Exactly p_bytes. [throws: exception_io_data_truncation, read's]
    virtual void skip_object(t_uint64 p_bytes, abort_callback& p_abort);

protected:
    ~stream_reader() = default;
};

class stream_writer {
public:
    // Takes all of the bytes or throws: the host's writers their own errors,
    // the component's append writer std::bad_alloc.
    virtual void write(const void* p_buffer, t_size p_bytes, abort_callback& p_abort) = 0;

protected:
    ~stream_writer() = default;
};

}  // namespace foobar2000_io
