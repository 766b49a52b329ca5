#pragma once
// Little-endian integers in byte buffers, as the bitmap file and the dialog template store them.
// constexpr, so that pictures and templates can be built at compile time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace winrt::le {

constexpr void store16(std::span<uint8_t> out, std::size_t at, uint16_t value)
{
    out[at] = uint8_t(value);
    out[at + 1] = uint8_t(value >> 8);
}

constexpr void store32(std::span<uint8_t> out, std::size_t at, uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        out[at + i] = uint8_t(value >> (8 * i));
}

constexpr uint16_t load16(std::span<const uint8_t> in, std::size_t at) { return uint16_t(in[at] | in[at + 1] << 8); }

constexpr uint32_t load32(std::span<const uint8_t> in, std::size_t at)
{
    return uint32_t(in[at]) | uint32_t(in[at + 1]) << 8 | uint32_t(in[at + 2]) << 16 | uint32_t(in[at + 3]) << 24;
}

constexpr void append16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

constexpr void append32(std::vector<uint8_t>& out, uint32_t value)
{
    append16(out, uint16_t(value));
    append16(out, uint16_t(value >> 16));
}

} // namespace winrt::le
