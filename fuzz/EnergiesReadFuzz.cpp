// Any bytes as a file of surface energies: read or refused with one error line naming the line,
// never a crash; what reads holds planes with energies above 0, each once.
#include "crystal/Wulff.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto energies = crystal::readSurfaceEnergies(text, "fuzz");
    if (!energies) {
        const std::string& message = energies.error().message;
        if (message.rfind("fuzz", 0) != 0 || message.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    for (std::size_t i = 0; i < energies->size(); ++i) {
        if (!((*energies)[i].energy > 0.0) || (*energies)[i].hkl == crystal::Miller{{0, 0, 0}})
            std::abort();
        for (std::size_t j = 0; j < i; ++j)
            if ((*energies)[i].hkl == (*energies)[j].hkl)
                std::abort();
    }
    return 0;
}
