#pragma once
// The binary dialog template (DLGTEMPLATE followed by DLGITEMTEMPLATE records), read into plain
// values by a bounds-checked reader. Layout, all numbers little-endian:
//
//   header: style u32, extended style u32, item count u16, x, y, width, height i16,
//           menu, class, title (name-or-ordinal each),
//           when style has SetFont: point size u16, font name (string)
//   items, each starting on a 4-byte boundary from the template's start:
//           style u32, extended style u32, x, y, width, height i16, id u16,
//           class, title (name-or-ordinal each), creation data size u16, creation data
//
// A name-or-ordinal is 0xFFFF followed by a 16-bit ordinal, or a zero-terminated string of
// 16-bit characters (a lone 0 is the empty string). Positions and sizes are in dialog units.

#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dialogs {

// Window and control style bits used in templates.
namespace style {
inline constexpr std::uint32_t Popup = 0x80000000;
inline constexpr std::uint32_t Child = 0x40000000;
inline constexpr std::uint32_t Visible = 0x10000000;
inline constexpr std::uint32_t Disabled = 0x08000000;
inline constexpr std::uint32_t Caption = 0x00C00000; // title bar (border + dialog frame)
inline constexpr std::uint32_t Border = 0x00800000;
inline constexpr std::uint32_t SystemMenu = 0x00080000; // the close box
inline constexpr std::uint32_t Group = 0x00020000;      // the control starts a group
inline constexpr std::uint32_t TabStop = 0x00010000;
inline constexpr std::uint32_t ModalFrame = 0x00000080; // dialog
inline constexpr std::uint32_t SetFont = 0x00000040;    // dialog: font fields follow the title

// Buttons: the low four bits give the button type.
inline constexpr std::uint32_t ButtonTypeMask = 0xF;
inline constexpr std::uint32_t PushButton = 0;
inline constexpr std::uint32_t DefaultPushButton = 1;
inline constexpr std::uint32_t CheckBox = 2;
inline constexpr std::uint32_t AutoCheckBox = 3;
inline constexpr std::uint32_t RadioButton = 4;
inline constexpr std::uint32_t ThreeState = 5;
inline constexpr std::uint32_t AutoThreeState = 6;
inline constexpr std::uint32_t GroupBox = 7;
inline constexpr std::uint32_t UserButton = 8;
inline constexpr std::uint32_t AutoRadioButton = 9;
inline constexpr std::uint32_t OwnerDrawButton = 11;
inline constexpr std::uint32_t ButtonCentre = 0x300;
inline constexpr std::uint32_t ButtonMultiLine = 0x2000;

// Edit boxes.
inline constexpr std::uint32_t EditMultiLine = 0x4;
inline constexpr std::uint32_t EditAutoHScroll = 0x80;

// Static controls.
inline constexpr std::uint32_t StaticLeft = 0;
inline constexpr std::uint32_t StaticCentre = 1;
inline constexpr std::uint32_t StaticIcon = 3;

// Scroll bars.
inline constexpr std::uint32_t ScrollHorizontal = 0;
inline constexpr std::uint32_t ScrollVertical = 1;

// List boxes.
inline constexpr std::uint32_t ListNotify = 0x1;
inline constexpr std::uint32_t ListMultipleSelection = 0x8;
inline constexpr std::uint32_t ListOwnerDrawFixed = 0x10;
inline constexpr std::uint32_t ListOwnerDrawVariable = 0x20;
inline constexpr std::uint32_t ListExtendedSelection = 0x800;

// Combo boxes: the low two bits give the type.
inline constexpr std::uint32_t ComboTypeMask = 0x3;
inline constexpr std::uint32_t ComboSimple = 1;
inline constexpr std::uint32_t ComboDropDown = 2;
inline constexpr std::uint32_t ComboDropDownList = 3;
inline constexpr std::uint32_t ComboOwnerDrawFixed = 0x10;
inline constexpr std::uint32_t ComboOwnerDrawVariable = 0x20;
} // namespace style

// The predefined control classes, given in an item's class field by ordinal.
namespace control_class {
inline constexpr std::uint16_t Button = 0x80;
inline constexpr std::uint16_t Edit = 0x81;
inline constexpr std::uint16_t Static = 0x82;
inline constexpr std::uint16_t ListBox = 0x83;
inline constexpr std::uint16_t ScrollBar = 0x84;
inline constexpr std::uint16_t ComboBox = 0x85;
} // namespace control_class

// The marker word in front of an ordinal.
inline constexpr std::uint16_t OrdinalMarker = 0xFFFF;

// A field that is either an ordinal or a name. Each 16-bit character of a name is kept as its
// low byte.
struct NameOrOrdinal {
    std::optional<std::uint16_t> ordinal;
    std::string name;
    bool operator==(const NameOrOrdinal&) const = default;
};

struct TemplateItem {
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::uint16_t id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::uint16_t creationDataSize = 0; // bytes of creation data, this size word included
    bool operator==(const TemplateItem&) const = default;
};

struct DialogTemplate {
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::uint16_t pointSize = 0;     // only with SetFont
    std::string fontName;            // only with SetFont
    std::vector<TemplateItem> items; // as many as the header's item count
    bool operator==(const DialogTemplate&) const = default;
};

// Why a template did not read.
enum class TemplateError {
    Truncated,        // the data ends inside a field, a string or an item
    ExtendedTemplate, // the extended layout (signature 0xFFFF, version 1) is not supported
};

const char* describe(TemplateError error);

// Reads a whole template, or fails with the describe() text of the reason; never reads outside
// bytes.
platform::Result<DialogTemplate> parseDialogTemplate(std::span<const std::uint8_t> bytes);

} // namespace dialogs
