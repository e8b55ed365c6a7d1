#pragma once

#include "boundary/service.h"
#include "integration/file_info.h"

// One track of the host's library. To read its information: lock_info,
// peek_info, read, unlock_info; the file_info stays valid until the unlock.
// Tracks are counted: hold them through service_ptr_t. [host's UI thread]
class metadb_handle : public service_base {
    SORVALE_INTERFACE(metadb_handle)

    virtual void lock_info() = 0;
    // Points p_info at the track's information and answers true, or answers
    // false when the host has none to give (p_info is then not to be used).
    virtual bool peek_info(const file_info*& p_info) = 0;
    virtual void unlock_info() = 0;

protected:
    ~metadb_handle() = default;
};

inline const GUID metadb_handle::class_guid = {
    0x0E43D2B1, 0x7A4C, 0x4F21, {0x9D, 0x63, 0x2B, 0x8E, 0x51, 0xC4, 0x07, 0xAA}};
