#pragma once

#include "boundary/service.h"
#include "integration/file_info.h"

// One track of the host's library. To read its information: lock_info,
// peek_info, read, unlock_info; the file_info stays valid until the unlock.
// Tracks are counted and owned by the host: hold them through service_ptr_t.
// [ui-thread]
//
// Locks. The host's lock nests: each lock_info needs its own unlock_info, and
// the information stays put until the last one. The component relies on no
// nesting: it locks once per queue entry, only while it builds that entry's
// line, never holds two locks, calls nothing of the host's in between but
// peek_info and file_info, and unlocks on every path, errors included. Since
// that unlock may run while an error unwinds, it relies on lock_info and
// unlock_info never throwing.
class metadb_handle : public service_base {
    SORVALE_INTERFACE(metadb_handle)

    virtual void lock_info() = 0;  // [nothrow]
    // Points p_info at the track's information, the host's, and answers true;
    // or answers false when the host has none to give (p_info is then not to
    // be used). Only between lock_info and unlock_info. [throws: as
    // file_info's slots]
    virtual bool peek_info(const file_info*& p_info) = 0;
    virtual void unlock_info() = 0;  // [nothrow]

protected:
    ~metadb_handle() = default;
};

inline const GUID metadb_handle::class_guid = {
    0x0E43D2B1, 0x7A4C, 0x4F21, {0x9D, 0x63, 0x2B, 0x8E, 0x51, 0xC4, 0x07, 0xAA}};
