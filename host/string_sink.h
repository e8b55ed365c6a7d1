#pragma once

#include <cstring>
#include <string>

#include "support/string8.h"
#include "support/string_base.h"

namespace host {

// The host's own text sink: what a component writes through pfc::string_base
// lands in a std::string.
class string_sink : public pfc::string_base {
public:
    void add_string(const char* p_string, t_size p_length = pfc::infinite_size) override {
        m_text.append(p_string != nullptr ? p_string : "", pfc::strlen_max(p_string, p_length));
    }
    const char* get_ptr() const override { return m_text.c_str(); }
    void set_string(const char* p_string, t_size p_length = pfc::infinite_size) override {
        m_text.assign(p_string != nullptr ? p_string : "", pfc::strlen_max(p_string, p_length));
    }
    void truncate(t_size len) override {
        if (len < m_text.size()) m_text.resize(len);
    }
    t_size get_length() const override { return static_cast<t_size>(m_text.size()); }
    char* lock_buffer(t_size n) override {
        m_text.assign(static_cast<std::size_t>(n) + 1, '\0');
        return m_text.data();
    }
    void unlock_buffer() override { m_text.resize(std::strlen(m_text.c_str())); }

    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

}  // namespace host
