#pragma once
// The fuzzers of the command line read their input as words separated by NUL bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

inline std::vector<std::string_view> fuzzWords(const uint8_t* data, size_t size)
{
    std::vector<std::string_view> words;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i)
        if (i == size || text[i] == '\0') {
            words.emplace_back(text + start, i - start);
            start = i + 1;
        }
    return words;
}
