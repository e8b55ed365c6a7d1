#pragma once

#include "boundary/service.h"
#include "support/string_base.h"

// What the host shows for a component in its component list. Each slot
// replaces the whole content of `out`, the host's sink, borrowed for the call.
// [ui-thread] [throws: what `out` raises, e.g. std::bad_alloc]
class componentversion : public service_base {
    SORVALE_INTERFACE(componentversion)

    virtual void get_file_name(pfc::string_base& out) = 0;  // the name only, not the path
    virtual void get_component_name(pfc::string_base& out) = 0;
    virtual void get_component_version(pfc::string_base& out) = 0;
    virtual void get_about_message(pfc::string_base& out) = 0;  // lines joined by '\n', none after the last

protected:
    ~componentversion() = default;
};

inline const GUID componentversion::class_guid = {
    0x10BB3EBD, 0xDDF7, 0x4975, {0xA3, 0xCC, 0x23, 0x08, 0x48, 0x29, 0x45, 0x3E}};
