// Any words as the batch front end's command line: parsed into a command, help, version or
// one error line, never a crash.
#include "cli/Args.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Words are separated by NUL bytes.
    std::vector<std::string_view> words;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i)
        if (i == size || text[i] == '\0') {
            words.emplace_back(text + start, i - start);
            start = i + 1;
        }
    const auto parsed = cli::parseArgs(words);
    if (const auto* e = std::get_if<cli::ArgError>(&parsed))
        if (e->message.empty() || e->message.find('\n') != std::string::npos)
            std::abort();
    return 0;
}
