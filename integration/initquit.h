#pragma once

#include "boundary/service.h"

// The host's start-up and shut-down calls. [host's UI thread]
class initquit : public service_base {
    SORVALE_INTERFACE(initquit)

    virtual void on_init() {}
    virtual void on_quit() {}

protected:
    ~initquit() = default;
};

inline const GUID initquit::class_guid = {
    0x113773C4, 0xB387, 0x4B48, {0x8B, 0xDF, 0xAB, 0x58, 0xBC, 0x6C, 0xE5, 0x38}};
