// Any text as an internal list-directed read: a status of 0, -1 or 64, and the variable
// untouched on failure.
#include "runtime/Format.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int32_t i = 12345;
    const int si = rt::internalReadInteger(text, i);
    if (si != 0 && si != -1 && si != 64)
        std::abort();
    if (si != 0 && i != 12345)
        std::abort();
    float f = 1.5f;
    const int sf = rt::internalReadReal(text, f);
    if (sf != 0 && sf != -1 && sf != 64)
        std::abort();
    if (sf != 0 && f != 1.5f)
        std::abort();
    if (sf == 0 && std::isnan(f))
        std::abort();
    return 0;
}
