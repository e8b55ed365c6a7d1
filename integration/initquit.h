#pragma once

#include "boundary/service.h"

// The host's start-up and shut-down calls. [ui-thread]
class initquit : public service_base {
    SORVALE_INTERFACE(initquit)

    // The host's start-up call; nothing by default. [nothrow]
    virtual void on_init() {}
    // Once, when the host shuts down, while the library is still loaded. The
    // host saves the configuration only after every on_quit, so what an
    // implementation stores into its variables here is saved. Nothing by
    // default. [throws: the implementation's errors, to the host]
    virtual void on_quit() {}

protected:
    ~initquit() = default;
};

inline const GUID initquit::class_guid = {
    0x113773C4, 0xB387, 0x4B48, {0x8B, 0xDF, 0xAB, 0x58, 0xBC, 0x6C, 0xE5, 0x38}};
