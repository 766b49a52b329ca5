// Any bytes as a POSCAR, an extended XYZ and a CIF file: read into a crystal or refused with one
// error line, never a crash; what reads holds a right-handed cell and wrapped fractions.
#include "crystal/Bulk.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (auto format :
         {crystal::StructureFormat::Poscar, crystal::StructureFormat::ExtendedXyz, crystal::StructureFormat::Cif}) {
        const auto bulk = crystal::readBulk(text, format, "fuzz");
        if (!bulk) {
            const std::string& message = bulk.error().message;
            if (message.empty() || message.find('\n') != std::string::npos)
                std::abort();
            continue;
        }
        const auto& c = bulk->cell;
        if (!(crystal::dot(c[0], crystal::cross(c[1], c[2])) > 0.0) || bulk->sites.empty())
            std::abort();
        for (const auto& s : bulk->sites)
            for (double f : s.fractional)
                if (!(f >= 0.0 && f < 1.0))
                    std::abort();
    }
    return 0;
}
