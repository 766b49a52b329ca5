#pragma once
// A parsed dialog template turned into what a dialog host shows: control types, captions,
// styles that change how a control looks, and rectangles in pixels. Dialog units are converted
// once here, with the fixed base units 6 x 13 of the dialog font.

#include "dialogs/DialogTemplate.h"
#include "platform/DialogHost.h"

#include <cstdint>
#include <optional>

namespace dialogs {

// Window styles of the dialog box itself beyond those the template reader names.
namespace style {
inline constexpr std::uint32_t AbsoluteAlign = 0x01; // the box's position is relative to the screen
inline constexpr std::uint32_t CentreBox = 0x0800;   // the box is centred on its owner
inline constexpr std::uint32_t StaticTypeMask = 0x1F;
inline constexpr std::uint32_t StaticRight = 2;
inline constexpr std::uint32_t StaticNoPrefix = 0x80;
inline constexpr std::uint32_t EditCentre = 0x1;
inline constexpr std::uint32_t EditRight = 0x2;
inline constexpr std::uint32_t EditPassword = 0x20;
inline constexpr std::uint32_t EditReadOnly = 0x800;
inline constexpr std::uint32_t ListSort = 0x2;
inline constexpr std::uint32_t ComboSort = 0x100;
} // namespace style

// A static icon control takes the size of the icon, whatever the template says.
inline constexpr int IconSize = 32;

// Dialog units to pixels, rounded half away from zero.
int unitsToPixelsX(int x);
int unitsToPixelsY(int y);

// The predefined class of an item: by ordinal, or by the name of a predefined class in any
// case ("Button", "EDIT"); empty for any other class.
std::optional<std::uint16_t> predefinedClass(const NameOrOrdinal& windowClass);

// The layout of a whole template, controls in template order.
platform::DialogLayout buildDialogLayout(const DialogTemplate& dialogTemplate);

} // namespace dialogs
