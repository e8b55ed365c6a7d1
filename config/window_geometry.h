#pragma once

#include <cstddef>

#include "config/cfg_var.h"
#include "config/record_codec.h"

// A pair of signed 32-bit values stored as an 8-byte payload: x then y,
// little-endian. The window reads and assigns m_coords directly, without
// synchronisation: it and the configuration calls share the host's UI thread.
class cfgCoordinates : public cfg_var {
public:
    struct coords {
        t_int32 x;
        t_int32 y;
    };

    static constexpr t_size payload_size = 8;

    cfgCoordinates(const GUID& p_guid, coords p_default) noexcept : cfg_var(p_guid), m_coords(p_default) {}

    // One write of 8 bytes. [throws: the writer's errors]
    void get_data_raw(foobar2000_io::stream_writer* p_stream, foobar2000_io::abort_callback& p_abort) override;
    // Both values or neither: a record too short for both leaves the pair as
    // it was, and its io data error goes no further. Values are taken as read,
    // with no range check; bytes past the 8 are left to the reader to skip.
    // [throws: the reader's errors other than io data errors; pair unchanged]
    void set_data_raw(foobar2000_io::stream_reader* p_stream, t_size p_sizehint,
                      foobar2000_io::abort_callback& p_abort) override;

    coords m_coords;
};

static_assert(sizeof(cfgCoordinates::coords) == 8);

// The window's outer width (x) and height (y).
class cfgWindowSize : public cfgCoordinates {
public:
    using cfgCoordinates::cfgCoordinates;
};

// The window's top-left corner on the screen.
class cfgWindowPosition : public cfgCoordinates {
public:
    using cfgCoordinates::cfgCoordinates;
};

inline constexpr GUID guid_cfgMainWindowSize = {
    0xAAAF1F91, 0x0E0B, 0x4F17, {0x89, 0x75, 0x8E, 0x96, 0xA4, 0x17, 0x8B, 0xC7}};
inline constexpr GUID guid_cfgMainWindowPosition = {
    0x464D321E, 0x3471, 0x4A69, {0xBF, 0xBE, 0x57, 0xD0, 0xA4, 0x72, 0xAD, 0x1D}};

// Defined in component.cpp, size first, so the position comes first in the
// list and in a saved stream. Built by code, not constinit (cfg_var links in).
extern cfgWindowSize cfgMainWindowSize;
extern cfgWindowPosition cfgMainWindowPosition;

// The component's whole configuration stream, whatever the values: one record
// for each of its two variables.
inline constexpr std::size_t component_config_size = 2 * cfg_codec::record_size(cfgCoordinates::payload_size);
