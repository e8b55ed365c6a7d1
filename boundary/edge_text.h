#pragma once

#include "boundary/edge.h"
#include "support/string_base.h"

// A text sink across the edge (edge.h): the other party's, as our code fills
// it, and ours, as the other party fills it. Both live for the one call that
// hands the sink over.
namespace edge {

#if SORVALE_MSVC_ABI

template <>
class foreign<pfc::string_base> final : public pfc::string_base {
public:
    explicit foreign(pfc::string_base& p_sink) noexcept : m_sink(p_sink) {}
    ~foreign() = default;
    pfc::string_base& get() noexcept { return *this; }

    void add_string(const char* p_string, t_size p_length) override {
        outbound([&] { m_sink.add_string(p_string, p_length); });
    }
    const char* get_ptr() const override { return m_sink.get_ptr(); }  // [nothrow]
    void set_string(const char* p_string, t_size p_length) override {
        outbound([&] { m_sink.set_string(p_string, p_length); });
    }
    void truncate(t_size len) override {
        outbound([&] { m_sink.truncate(len); });
    }
    t_size get_length() const override { return m_sink.get_length(); }  // [nothrow]
    char* lock_buffer(t_size n) override {
        return outbound([&] { return m_sink.lock_buffer(n); });
    }
    void unlock_buffer() override {
        outbound([&] { m_sink.unlock_buffer(); });
    }

private:
    pfc::string_base& m_sink;
};

template <>
class facing<pfc::string_base> final : public pfc::string_base {
public:
    explicit facing(pfc::string_base& p_sink) noexcept : m_sink(p_sink) {}
    ~facing() = default;
    pfc::string_base& get() noexcept { return *this; }

    void add_string(const char* p_string, t_size p_length) override {
        inbound([&] { m_sink.add_string(p_string, p_length); });
    }
    const char* get_ptr() const override { return m_sink.get_ptr(); }
    void set_string(const char* p_string, t_size p_length) override {
        inbound([&] { m_sink.set_string(p_string, p_length); });
    }
    void truncate(t_size len) override {
        inbound([&] { m_sink.truncate(len); });
    }
    t_size get_length() const override { return m_sink.get_length(); }
    char* lock_buffer(t_size n) override {
        return inbound([&] { return m_sink.lock_buffer(n); });
    }
    void unlock_buffer() override {
        inbound([&] { m_sink.unlock_buffer(); });
    }

private:
    pfc::string_base& m_sink;
};

#endif

}  // namespace edge
