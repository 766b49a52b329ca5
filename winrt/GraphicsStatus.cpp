#include "winrt/GraphicsStatus.h"

#include <atomic>

namespace winrt {

namespace {
std::atomic<int16_t> g_status{status::ok};
}

int16_t graphicsStatus() { return g_status.load(std::memory_order_relaxed); }

void setGraphicsStatus(int16_t value) { g_status.store(value, std::memory_order_relaxed); }

} // namespace winrt
