// Any words as the options of a subcommand on a surface (export, report, figure and leed read
// them alike): a command or one error line, never a crash; a surface's cell is built or refused
// with a message.
#include "cli/Args.h"
#include "fuzz/FuzzWords.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string_view> words = fuzzWords(data, size);
    words.insert(words.begin(), "report");
    const auto parsed = cli::parseCommand(words);
    if (!parsed) {
        if (parsed.error().message.empty() || parsed.error().message.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    if (parsed->subcommand != cli::Subcommand::Report)
        return 0; // --help
    for (auto kind : {crystal::InPlaneCell::Primitive, crystal::InPlaneCell::Orthogonal}) {
        const auto cell = crystal::surfaceCell(parsed->surface, kind);
        if (!cell && (cell.error().message.empty() || cell.error().message.find('\n') != std::string::npos))
            std::abort();
        if (cell && (cell->planes.empty() || !(cell->area() > 0.0) || !(cell->periodHeight() > 0.0)))
            std::abort();
    }
    return 0;
}
