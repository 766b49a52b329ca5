// Any words as the batch front end's command line: parsed into a command, help, version or
// one error line, never a crash.
#include "cli/Args.h"
#include "fuzz/FuzzWords.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string_view> words = fuzzWords(data, size);
    const auto parsed = cli::parseCommand(words);
    if (!parsed && (parsed.error().message.empty() || parsed.error().message.find('\n') != std::string::npos))
        std::abort();
    return 0;
}
