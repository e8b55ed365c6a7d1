#include "host/config_records.h"

namespace host {

namespace {

t_uint32 u32_at(std::span<const unsigned char> p_data, std::size_t p_at) {
    t_uint32 v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= static_cast<t_uint32>(p_data[p_at + i]) << (8 * i);
    return v;
}

t_uint16 u16_at(std::span<const unsigned char> p_data, std::size_t p_at) {
    return static_cast<t_uint16>(p_data[p_at] | (p_data[p_at + 1] << 8));
}

}  // namespace

t_int32 le32_at(std::span<const unsigned char> p_data, std::size_t p_at) { return static_cast<t_int32>(u32_at(p_data, p_at)); }

config_records split_records(std::span<const unsigned char> p_data) {
    config_records records;
    for (std::size_t at = 0; p_data.size() - at >= 20;) {
        const t_uint32 length = u32_at(p_data, at + 16);
        if (length > p_data.size() - at - 20) break;
        config_record record{};
        record.guid.Data1 = u32_at(p_data, at);
        record.guid.Data2 = u16_at(p_data, at + 4);
        record.guid.Data3 = u16_at(p_data, at + 6);
        for (std::size_t i = 0; i < 8; ++i) record.guid.Data4[i] = p_data[at + 8 + i];
        record.payload = p_data.subspan(at + 20, length);
        records.whole.push_back(record);
        at += 20 + length;
        records.whole_length = at;
    }
    return records;
}

}  // namespace host
