// The calling thread's CPU time, for benchmarks with manual timing: the
// machine is shared, and what another process runs is not charged to us.
// (On Windows, whose thread times move in scheduler ticks, the steady clock.)
#pragma once

#if defined(_WIN32)
#include <chrono>
#else
#include <time.h>
#endif

namespace thread_clock {

inline double now() noexcept {
#if defined(_WIN32)
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
#else
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

}  // namespace thread_clock
