#pragma once
// Numbers and strings as the program writes them into text and JSON: one formatter for all.

#include <string>
#include <string_view>

namespace platform {

// The shortest text that reads back to the same value ("0.1", "3.615", "1e-05"; "nan", "inf").
std::string shortest(double value);
std::string shortest(float value);

// Four significant digits, as listings print measured quantities ("3.248", "0.338", "-1.982");
// magnitudes below 5e-5 print as 0.
std::string fourDigits(double value);

// A number in JSON: shortest(value), or null when it is not finite.
std::string jsonNumber(double value);

// A string in JSON: quoted, with quotes, backslashes and control characters escaped.
std::string jsonString(std::string_view text);

} // namespace platform
