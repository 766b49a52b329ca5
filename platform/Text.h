#pragma once
// Numbers and strings as the program writes them into text and JSON: one formatter for all.

#include <string>
#include <string_view>

namespace platform {

// The shortest text that reads back to the same value ("0.1", "3.615", "1e-05"; "nan", "inf").
std::string shortest(double value);
std::string shortest(float value);

// A number in JSON: shortest(value), or null when it is not finite.
std::string jsonNumber(double value);

// A string in JSON: quoted, with quotes, backslashes and control characters escaped.
std::string jsonString(std::string_view text);

} // namespace platform
