// The configuration variables of the test program, in one file so that their
// construction order, and with it the list order, is fixed.

#include "config_testing.h"

namespace config_testing {

const GUID guid_probe_first = {0x11111111, 0x2222, 0x3333, {0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB}};
const GUID guid_probe_last = {0xCAFEF00D, 0x0102, 0x0304, {0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C}};
// Differs from guid_probe_last in its final byte only: the reader compares all 16.
const GUID guid_nobody = {0xCAFEF00D, 0x0102, 0x0304, {0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0D}};

probe_var g_probe_first(guid_probe_first);

}  // namespace config_testing

cfgWindowSize cfgMainWindowSize(guid_cfgMainWindowSize, {0, 0});
cfgWindowPosition cfgMainWindowPosition(guid_cfgMainWindowPosition, {0, 0});

namespace config_testing {

probe_var g_probe_last(guid_probe_last);

void reset_variables() {
    g_probe_first.reset();
    g_probe_last.reset();
    cfgMainWindowSize.m_coords = {0, 0};
    cfgMainWindowPosition.m_coords = {0, 0};
}

bytes guid_bytes(const GUID& p_guid) {
    bytes out = le32(p_guid.Data1);
    out.push_back(static_cast<unsigned char>(p_guid.Data2));
    out.push_back(static_cast<unsigned char>(p_guid.Data2 >> 8));
    out.push_back(static_cast<unsigned char>(p_guid.Data3));
    out.push_back(static_cast<unsigned char>(p_guid.Data3 >> 8));
    out.insert(out.end(), p_guid.Data4, p_guid.Data4 + 8);
    return out;
}

bytes le32(t_uint32 p_value) {
    return {static_cast<unsigned char>(p_value), static_cast<unsigned char>(p_value >> 8),
            static_cast<unsigned char>(p_value >> 16), static_cast<unsigned char>(p_value >> 24)};
}

bytes record_claiming(const GUID& p_guid, t_uint32 p_length, const bytes& p_payload) {
    return guid_bytes(p_guid) + le32(p_length) + p_payload;
}

bytes record(const GUID& p_guid, const bytes& p_payload) {
    return record_claiming(p_guid, static_cast<t_uint32>(p_payload.size()), p_payload);
}

bytes pair_payload(t_int32 p_x, t_int32 p_y) {
    return le32(static_cast<t_uint32>(p_x)) + le32(static_cast<t_uint32>(p_y));
}

bytes operator+(bytes p_first, const bytes& p_second) {
    p_first.insert(p_first.end(), p_second.begin(), p_second.end());
    return p_first;
}

}  // namespace config_testing
