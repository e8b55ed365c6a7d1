#pragma once

#include "support/exceptions.h"
#include "support/types.h"

// The host's stream interfaces, as the component calls and implements them.
// None of them has a destructor among its slots: streams are owned by whoever
// made them and are only borrowed for one call.
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
    // than asked means the data has ended. Every reader supplies its own.
    virtual t_size read(void* p_buffer, t_size p_bytes, abort_callback& p_abort) = 0;
    // Exactly p_bytes, or exception_io_data_truncation. One read, no retry.
    virtual void read_object(void* p_buffer, t_size p_bytes, abort_callback& p_abort);
    // Passes over up to p_bytes in 256-byte chunks through read; answers how many.
    virtual t_uint64 skip(t_uint64 p_bytes, abort_callback& p_abort);
    // Exactly p_bytes, or exception_io_data_truncation.
    virtual void skip_object(t_uint64 p_bytes, abort_callback& p_abort);

protected:
    ~stream_reader() = default;
};

class stream_writer {
public:
    // Takes all of the bytes or throws.
    virtual void write(const void* p_buffer, t_size p_bytes, abort_callback& p_abort) = 0;

protected:
    ~stream_writer() = default;
};

}  // namespace foobar2000_io
