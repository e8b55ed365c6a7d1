// For the stop requests of each platform: calls the living stop_wake's
// function, if there is one (any thread; the wake is not replaced meanwhile).
#pragma once

namespace host {
void call_stop_wake();
}  // namespace host
