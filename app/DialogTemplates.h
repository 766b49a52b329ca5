#pragma once
// The application's dialog templates as readable tables, and the builder that turns a table
// into the binary dialog template layout (see dialogs/DialogTemplate.h), at compile time for
// the program's own three dialogs.

#include "dialogs/Dialog.h"
#include "dialogs/DialogTemplate.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace app {

// Resource ids of the application's dialogs.
inline constexpr std::int32_t ViewDialogId = 101;    // "What Do You Want To Do Next?"
inline constexpr std::int32_t SurfaceDialogId = 103; // "What Surface Do You Want To Draw?"
inline constexpr std::int32_t AboutDialogId = 116;   // "About FACETOR"

// One control of a dialog table; position and size in dialog units.
struct ControlSpec {
    std::uint16_t id;
    std::uint16_t classOrdinal; // dialogs::control_class
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
    if (spec.style & dialogs::style::SetFont) {
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
        put16(out, dialogs::OrdinalMarker);
        put16(out, c.classOrdinal);
        putString(out, c.text);
        put16(out, 0); // no creation data
    }
    return out;
}

// The template of spec as a compile-time array.
template <const DialogSpec& Spec>
consteval auto compiledTemplate()
{
    constexpr std::size_t size = buildDialogTemplate(Spec).size();
    std::array<std::uint8_t, size> bytes{};
    const std::vector<std::uint8_t> built = buildDialogTemplate(Spec);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = built[i];
    return bytes;
}

// --- The application's dialogs --------------------------------------------------------------

namespace tables {
namespace s = dialogs::style;
namespace k = dialogs::control_class;

inline constexpr std::uint32_t ChildVisible = s::Child | s::Visible;
inline constexpr std::uint16_t NoId = 65535;

// View dialog: rotate, tilt and reset the picture, choose another surface, or exit.
inline constexpr ControlSpec ViewControls[] = {
    {1, k::Button, ChildVisible | s::TabStop | s::PushButton, 7, 7, 95, 14, "Choose Another Surface"},
    {2, k::Button, s::Child | s::TabStop | s::PushButton, 29, 7, 50, 14, "Cancel"},
    {NoId, k::Button, ChildVisible | s::GroupBox, 7, 24, 95, 154, "Rotate The View"},
    {1000, k::Button, ChildVisible | s::TabStop | s::PushButton, 28, 200, 53, 14, "Exit Program"},
    {1001, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton | s::ButtonMultiLine | s::ButtonCentre,
     15, 86, 38, 86, "Click Here To &Rotate"},
    {1002, k::Button, ChildVisible | s::TabStop | s::PushButton, 24, 182, 60, 14, "Reset View"},
    {1003, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 53, 44, 29, 12, ""},
    {1004, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 59, 129, 29, 12, ""},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 15, 46, 28, 9, "Rotation"},
    {NoId, k::Static, ChildVisible | s::StaticLeft, 71, 118, 10, 9, "Tilt"},
    {1007, k::ScrollBar, ChildVisible | s::ScrollHorizontal, 7, 62, 95, 14, ""},
    {1008, k::ScrollBar, ChildVisible | s::ScrollVertical, 89, 88, 13, 80, ""},
};
inline constexpr DialogSpec ViewDialog{
    s::Popup | s::Caption | s::ModalFrame | s::SetFont, 300, 10, 109, 221,
    "What Do You Want To Do Next?", 8, "MS Sans Serif", ViewControls};

// Surface choice dialog: the lattice, the termination and the Miller indices.
inline constexpr ControlSpec SurfaceControls[] = {
    {1003, k::Button, ChildVisible | s::Group | s::AutoRadioButton, 19, 17, 29, 10, "&FCC"},
    {1004, k::Button, ChildVisible | s::AutoRadioButton, 52, 17, 30, 10, "&BCC"},
    {1005, k::Button, ChildVisible | s::AutoRadioButton, 86, 17, 31, 10, "&HCP"},
    {1006, k::Button, ChildVisible | s::AutoRadioButton, 121, 17, 50, 10, "&Zinc Blend"},
    {1001, k::Edit, ChildVisible | s::Group | s::Border | s::TabStop | s::EditAutoHScroll, 56, 49, 22, 11, ""},
    {1002, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 82, 49, 22, 11, ""},
    {1007, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 107, 49, 22, 11, ""},
    {1008, k::Edit, ChildVisible | s::Border | s::TabStop | s::EditAutoHScroll, 150, 49, 22, 11, ""},
    {1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 68, 74, 50, 14, "OK"},
    {NoId, k::Button, ChildVisible | s::GroupBox, 7, 7, 172, 23, "Choose A Bravis Lattice"},
    {2, k::Button, s::Child | s::TabStop | s::PushButton, 7, 74, 50, 14, "Cancel"},
    {NoId, k::Button, ChildVisible | s::GroupBox, 7, 38, 172, 25, "Enter The Miller Indicies Of The Plane You Want"},
};
inline constexpr DialogSpec SurfaceDialog{
    s::Popup | s::Caption | s::SystemMenu | s::ModalFrame | s::SetFont, 100, 100, 186, 95,
    "What Surface Do You Want To Draw?", 8, "MS Sans Serif", SurfaceControls};

// About box: the frame's icon and two centred texts.
inline constexpr ControlSpec AboutControls[] = {
    {1, k::Button, ChildVisible | s::TabStop | s::DefaultPushButton, 69, 95, 50, 14, "OK"},
    {NoId, k::Static, ChildVisible | s::StaticIcon, 6, 38, 18, 20, "FRAMEICON"},
    {NoId, k::Static, ChildVisible | s::StaticCentre, 31, 7, 127, 26,
     "FACETOR calculates the surface\n structure of an arbitrary plane of a\n FCC, BCC, HCP or Zincblend material"},
    {NoId, k::Static, ChildVisible | s::StaticCentre, 27, 65, 135, 18,
     "The program runs best on Windows 95\nWindows NT gives errors on printing"},
};
inline constexpr DialogSpec AboutDialog{
    s::Popup | s::Caption | s::ModalFrame | s::SetFont, 100, 100, 189, 116,
    "About FACETOR", 8, "MS Sans Serif", AboutControls};

} // namespace tables

// The binary templates, built at compile time.
inline constexpr auto ViewTemplate = compiledTemplate<tables::ViewDialog>();
inline constexpr auto SurfaceTemplate = compiledTemplate<tables::SurfaceDialog>();
inline constexpr auto AboutTemplate = compiledTemplate<tables::AboutDialog>();

// Serves the three templates by resource id.
class ApplicationDialogResources final : public dialogs::DialogResources {
public:
    std::optional<std::span<const std::uint8_t>> dialogTemplate(std::int32_t resourceId) const override;
};

// The program's one instance.
const ApplicationDialogResources& applicationDialogResources();

} // namespace app
