#pragma once

#include <cstdint>

// Component-object runtime start-up, as a component calls it once per entry
// into the library. Here there is no such runtime: the call is recorded, so a
// test can see how often and with which mode it was made.
extern "C" {

enum : std::uint32_t {
    COINIT_APARTMENTTHREADED = 0x2,
};

// Always answers 0 (success); the caller ignores the result anyway.
long CoInitializeEx(void* pvReserved, std::uint32_t dwCoInit);

}

namespace platform {

struct co_initialize_record {
    std::uint32_t calls;          // how many times CoInitializeEx ran
    std::uint32_t last_mode;      // dwCoInit of the latest call
    bool last_reserved_was_null;  // pvReserved of the latest call was null
};

co_initialize_record co_initialize_calls();
void reset_co_initialize_calls();

}  // namespace platform
