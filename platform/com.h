#pragma once

// Component-object runtime start-up, as a component calls it once per entry
// into the library.
#if defined(_WIN32)

// The system's own, from ole32: declared here as <objbase.h> does, since
// that header's GUID type would clash with the component's.
extern "C" {

#if !defined(_OBJBASE_H_)
enum : unsigned long {
    COINIT_APARTMENTTHREADED = 0x2,
};
#endif

__declspec(dllimport) long __stdcall CoInitializeEx(void* pvReserved, unsigned long dwCoInit);
}

namespace platform {

// What the calling thread is set up as, for a test to read.
enum class apartment { none, single_threaded, other };
apartment thread_apartment();
// One CoUninitialize: undoes one successful CoInitializeEx of this thread.
void leave_apartment();

}  // namespace platform

#else

#include <cstdint>

// There is no such runtime here: the call is recorded, so a test can see how
// often and with which mode it was made.
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

#endif
