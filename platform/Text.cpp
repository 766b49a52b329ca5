#include "platform/Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace platform {

namespace {

template <typename Number> std::string shortestText(Number value)
{
    char buf[32]; // the longest double, "-2.2250738585072014e-308", has 24 characters
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, ptr);
}

} // namespace

std::string shortest(double value) { return shortestText(value); }
std::string shortest(float value) { return shortestText(value); }

std::string fourDigits(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", std::abs(value) < 5e-5 ? 0.0 : value);
    return text;
}

std::string jsonNumber(double value) { return std::isfinite(value) ? shortest(value) : std::string("null"); }

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace platform
