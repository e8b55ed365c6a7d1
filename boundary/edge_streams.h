#pragma once

#include "boundary/edge.h"
#include "config/stream.h"

// The configuration streams across the edge (edge.h): the other party's, as
// our code reads or writes them, and ours, as the other party does. Each
// slot goes to the same slot of the object underneath, so a reader's own
// read_object, skip and skip_object are the ones that run. The abort object
// is passed through untouched: whoever hands one over gets it back in every
// call, and nothing on the way calls it. Both live for the one configuration
// call that hands the stream over.
namespace edge {

#if SORVALE_MSVC_ABI

template <>
class foreign<foobar2000_io::stream_reader> final : public foobar2000_io::stream_reader {
public:
    explicit foreign(foobar2000_io::stream_reader& p_reader) noexcept : m_reader(p_reader) {}
    ~foreign() = default;
    foobar2000_io::stream_reader& get() noexcept { return *this; }

    t_size read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override {
        return outbound([&] { return m_reader.read(p_buffer, p_bytes, p_abort); });
    }
    void read_object(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override {
        outbound([&] { m_reader.read_object(p_buffer, p_bytes, p_abort); });
    }
    t_uint64 skip(t_uint64 p_bytes, foobar2000_io::abort_callback& p_abort) override {
        return outbound([&] { return m_reader.skip(p_bytes, p_abort); });
    }
    void skip_object(t_uint64 p_bytes, foobar2000_io::abort_callback& p_abort) override {
        outbound([&] { m_reader.skip_object(p_bytes, p_abort); });
    }

private:
    foobar2000_io::stream_reader& m_reader;
};

template <>
class foreign<foobar2000_io::stream_writer> final : public foobar2000_io::stream_writer {
public:
    explicit foreign(foobar2000_io::stream_writer& p_writer) noexcept : m_writer(p_writer) {}
    ~foreign() = default;
    foobar2000_io::stream_writer& get() noexcept { return *this; }

    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override {
        outbound([&] { m_writer.write(p_buffer, p_bytes, p_abort); });
    }

private:
    foobar2000_io::stream_writer& m_writer;
};

template <>
class facing<foobar2000_io::stream_reader> final : public foobar2000_io::stream_reader {
public:
    explicit facing(foobar2000_io::stream_reader& p_reader) noexcept : m_reader(p_reader) {}
    ~facing() = default;
    foobar2000_io::stream_reader& get() noexcept { return *this; }

    t_size read(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override {
        return inbound([&] { return m_reader.read(p_buffer, p_bytes, p_abort); });
    }
    void read_object(void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override {
        inbound([&] { m_reader.read_object(p_buffer, p_bytes, p_abort); });
    }
    t_uint64 skip(t_uint64 p_bytes, foobar2000_io::abort_callback& p_abort) override {
        return inbound([&] { return m_reader.skip(p_bytes, p_abort); });
    }
    void skip_object(t_uint64 p_bytes, foobar2000_io::abort_callback& p_abort) override {
        inbound([&] { m_reader.skip_object(p_bytes, p_abort); });
    }

private:
    foobar2000_io::stream_reader& m_reader;
};

template <>
class facing<foobar2000_io::stream_writer> final : public foobar2000_io::stream_writer {
public:
    explicit facing(foobar2000_io::stream_writer& p_writer) noexcept : m_writer(p_writer) {}
    ~facing() = default;
    foobar2000_io::stream_writer& get() noexcept { return *this; }

    void write(const void* p_buffer, t_size p_bytes, foobar2000_io::abort_callback& p_abort) override {
        inbound([&] { m_writer.write(p_buffer, p_bytes, p_abort); });
    }

private:
    foobar2000_io::stream_writer& m_writer;
};

#endif

}  // namespace edge
