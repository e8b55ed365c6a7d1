#pragma once

#include <cstdio>
#include <string>

#include "support/types.h"

// A 16-byte identifier, laid out as the host lays it out: one 32-bit value,
// two 16-bit values and eight bytes, the numbers little-endian in memory.
struct GUID {
    t_uint32 Data1;
    t_uint16 Data2;
    t_uint16 Data3;
    t_uint8 Data4[8];
};

static_assert(sizeof(GUID) == 16, "a GUID is exactly 16 bytes");
static_assert(alignof(GUID) == 4);

// Equal when all 16 bytes are.
constexpr bool operator==(const GUID& a, const GUID& b) noexcept {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) return false;
    }
    return true;
}

namespace pfc {

inline constexpr GUID guid_null{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, upper case.
inline std::string print_guid(const GUID& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                  static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

}  // namespace pfc
