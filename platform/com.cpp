#include "platform/com.h"

namespace {
// Constant-initialised: a component may call in from its static constructors.
constinit platform::co_initialize_record g_record{0, 0, true};
}

extern "C" long CoInitializeEx(void* pvReserved, std::uint32_t dwCoInit) {
    ++g_record.calls;
    g_record.last_mode = dwCoInit;
    g_record.last_reserved_was_null = pvReserved == nullptr;
    return 0;
}

namespace platform {

co_initialize_record co_initialize_calls() { return g_record; }

void reset_co_initialize_calls() { g_record = {0, 0, true}; }

}  // namespace platform
