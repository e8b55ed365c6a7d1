#pragma once

#include "boundary/edge.h"
#include "integration/file_info.h"

// A track's information across the edge (edge.h). The host hands it out from
// peek_info, and the component reads it inside one outbound call per queue
// entry; the host's side keeps this face beside the information it shows, so
// that its own code reads the information itself.
namespace edge {

#if SORVALE_MSVC_ABI

template <>
class facing<file_info> final : public file_info {
public:
    explicit facing(const file_info& p_info) noexcept : m_info(p_info) {}
    facing(const facing&) = delete;
    facing& operator=(const facing&) = delete;
    ~facing() = default;
    const file_info& get() const noexcept { return *this; }

    t_size meta_find_field(const char* p_name, t_size p_name_length) const override {
        return inbound([&] { return m_info.meta_find_field(p_name, p_name_length); });
    }
    t_size meta_value_count(t_size p_field) const override {
        return inbound([&] { return m_info.meta_value_count(p_field); });
    }
    const char* meta_value_at(t_size p_field, t_size p_index) const override {
        return inbound([&] { return m_info.meta_value_at(p_field, p_index); });
    }

private:
    const file_info& m_info;
};

#endif

}  // namespace edge
