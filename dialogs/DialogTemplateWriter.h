#pragma once
// Writes dialog templates in the binary layout that dialogs/DialogTemplate.h reads, from
// readable tables, at compile time: a program's own dialogs are tables in its source.

#include "dialogs/DialogTemplate.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace dialogs {

// One control of a dialog table; position and size in dialog units.
struct ControlSpec {
    std::uint16_t id;
    std::uint16_t classOrdinal; // control_class
    std::uint32_t style;
    std::int16_t x, y, width, height;
    std::string_view text; // with "\n" between the lines of a multi-line static text
};

// A dialog table: the header fields and the controls in template order.
struct DialogSpec {
    std::uint32_t style;
    std::int16_t x, y, width, height;
    std::string_view caption;
    std::uint16_t pointSize; // used with style::SetFont
    std::string_view font;
    std::span<const ControlSpec> controls;
};

namespace detail {

constexpr void put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

constexpr void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

// A zero-terminated string of 16-bit characters (each byte of text widened).
constexpr void putString(std::vector<std::uint8_t>& out, std::string_view text)
{
    for (char c : text)
        put16(out, static_cast<std::uint8_t>(c));
    put16(out, 0);
}

} // namespace detail

// The binary dialog template of spec: no menu, the standard dialog class, extended styles 0,
// classes by ordinal, no creation data.
constexpr std::vector<std::uint8_t> buildDialogTemplate(const DialogSpec& spec)
{
    using namespace detail;
    std::vector<std::uint8_t> out;
    put32(out, spec.style);
    put32(out, 0);
    put16(out, static_cast<std::uint16_t>(spec.controls.size()));
    put16(out, static_cast<std::uint16_t>(spec.x));
    put16(out, static_cast<std::uint16_t>(spec.y));
    put16(out, static_cast<std::uint16_t>(spec.width));
    put16(out, static_cast<std::uint16_t>(spec.height));
    put16(out, 0); // no menu
    put16(out, 0); // the standard dialog class
    putString(out, spec.caption);
    if (spec.style & style::SetFont) {
        put16(out, spec.pointSize);
        putString(out, spec.font);
    }
    for (const ControlSpec& c : spec.controls) {
        while (out.size() % 4 != 0)
            out.push_back(0);
        put32(out, c.style);
        put32(out, 0);
        put16(out, static_cast<std::uint16_t>(c.x));
        put16(out, static_cast<std::uint16_t>(c.y));
        put16(out, static_cast<std::uint16_t>(c.width));
        put16(out, static_cast<std::uint16_t>(c.height));
        put16(out, c.id);
        put16(out, OrdinalMarker);
        put16(out, c.classOrdinal);
        putString(out, c.text);
        put16(out, 0); // no creation data
    }
    return out;
}

// The template of spec as a compile-time array.
template <const DialogSpec& Spec> consteval auto compiledTemplate()
{
    constexpr std::size_t size = buildDialogTemplate(Spec).size();
    std::array<std::uint8_t, size> bytes{};
    const std::vector<std::uint8_t> built = buildDialogTemplate(Spec);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = built[i];
    return bytes;
}

} // namespace dialogs
