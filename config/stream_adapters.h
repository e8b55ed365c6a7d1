#pragma once

#include <cstring>

#include "config/stream.h"
#include "support/array.h"
#include "support/exceptions.h"

// The two small streams of the configuration store. Both live on the stack of
// one configuration call and borrow what they point to, so they share its
// thread, the host's UI thread.
namespace foobar2000_io {

// Confines a variable to its own record: delivers at most m_remaining bytes of
// the host's reader, so a request that reaches past the record comes back
// short, exactly as at the end of a stream. read_object, skip and skip_object
// are the defaults and so pass through read.
class stream_reader_limited_ref : public stream_reader {
public:
    stream_reader_limited_ref(stream_reader* p_reader, t_size p_limit) noexcept
        : m_reader(p_reader), m_remaining(p_limit) {}
    ~stream_reader_limited_ref() = default;

    // Asks the host's reader even for 0 bytes, so the host sees every request.
    // [throws: the host reader's errors]
    t_size read(void* p_buffer, t_size p_bytes, abort_callback& p_abort) override {
        const t_size clipped = p_bytes < m_remaining ? p_bytes : m_remaining;
        const t_size got = m_reader->read(p_buffer, clipped, p_abort);
        m_remaining -= got;
        return got;
    }

    // Bytes of the record not yet delivered.
    t_size get_remaining() const noexcept { return m_remaining; }

private:
    stream_reader* m_reader;
    t_size m_remaining;
};

// Appends everything written to a byte array, so that a variable's payload
// length is known before any of it reaches the host. The abort object is not
// consulted: nothing here can wait.
template <typename t_array>
class stream_writer_buffer_append_ref_t : public stream_writer {
public:
    explicit stream_writer_buffer_append_ref_t(t_array& p_buffer) noexcept : m_buffer(p_buffer) {}
    ~stream_writer_buffer_append_ref_t() = default;

    // A payload that would not fit in 32 bits is out of memory, like any other
    // allocation that cannot be made.
    void write(const void* p_buffer, t_size p_bytes, abort_callback&) override {
        const t_size old_count = m_buffer.get_size();
        if (p_bytes > pfc::infinite_size - old_count) pfc::throw_bad_alloc();
        m_buffer.set_size(old_count + p_bytes);
        // A zero-byte write may come with no buffer at all.
        if (p_bytes != 0) std::memcpy(m_buffer.get_ptr() + old_count, p_buffer, p_bytes);
    }

private:
    t_array& m_buffer;
};

}  // namespace foobar2000_io
