// The wake a stop_request calls (stop_request.h), shared by both platforms'
// stop requests.
#include <functional>
#include <mutex>
#include <utility>

#include "host/stop_request.h"
#include "host/stop_wake_call.h"

namespace host {

namespace {
std::mutex g_wake_lock;
std::function<void()> g_wake;
}  // namespace

stop_wake::stop_wake(std::function<void()> p_wake) {
    const std::lock_guard<std::mutex> hold(g_wake_lock);
    g_wake = std::move(p_wake);
}

stop_wake::~stop_wake() {
    const std::lock_guard<std::mutex> hold(g_wake_lock);
    g_wake = nullptr;
}

void call_stop_wake() {
    const std::lock_guard<std::mutex> hold(g_wake_lock);
    if (g_wake) g_wake();
}

}  // namespace host
