#pragma once
// The process-wide graphics status that every canvas operation leaves behind.

#include <cstdint>

namespace winrt {

// Values of the graphics status.
namespace status {
inline constexpr int16_t ok = 0;       // success
inline constexpr int16_t altered = 3;  // a parameter was swapped or clamped and the operation went ahead
inline constexpr int16_t failed = -1;  // no window, a closed window, a failed drawing step
inline constexpr int16_t invalid = -4; // an unrecognised mode or action; nothing drawn
} // namespace status

// The status of the last canvas operation on any thread (one value for the whole process).
int16_t graphicsStatus();

// Sets the status; used by the canvas operations and by the window layer when it finds no window.
void setGraphicsStatus(int16_t value);

} // namespace winrt
