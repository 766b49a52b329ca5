// Any words as the surface options of export, report, figure and leed: a surface or one error
// line, never a crash; the words left over keep their order; a surface's cell is built or
// refused with a message.
#include "cli/SurfaceArgs.h"
#include "fuzz/FuzzWords.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string_view> words = fuzzWords(data, size);
    const std::vector<std::string_view> given = words;
    std::string error;
    const auto spec = cli::takeSurfaceArgs(words, error);
    if (!spec) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    // The words left are a subsequence of those given.
    std::size_t j = 0;
    for (std::string_view w : words) {
        while (j < given.size() && given[j].data() != w.data())
            ++j;
        if (j == given.size())
            std::abort();
        ++j;
    }
    for (auto kind : {crystal::InPlaneCell::Primitive, crystal::InPlaneCell::Orthogonal}) {
        const auto cell = crystal::surfaceCell(*spec, kind, error);
        if (!cell && (error.empty() || error.find('\n') != std::string::npos))
            std::abort();
        if (cell && (cell->planes.empty() || !(cell->area() > 0.0) || !(cell->periodHeight() > 0.0)))
            std::abort();
    }
    return 0;
}
