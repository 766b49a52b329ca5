#include "dialogs/DialogLayout.h"

#include <cctype>
#include <cstdlib>

namespace dialogs {
namespace {

using platform::ControlLayout;
using platform::ControlType;

// v * base / divisor, rounded half away from zero.
int scaled(int v, int base, int divisor)
{
    const int magnitude = (std::abs(v) * base + divisor / 2) / divisor;
    return v < 0 ? -magnitude : magnitude;
}

bool focusable(ControlType type)
{
    return type != ControlType::Static && type != ControlType::Icon && type != ControlType::GroupBox
        && type != ControlType::Other;
}

ControlLayout controlLayout(const TemplateItem& item)
{
    ControlLayout c;
    c.id = item.id;
    c.caption = item.title.ordinal ? std::string() : item.title.name;
    c.rect = {unitsToPixelsX(item.x), unitsToPixelsY(item.y), unitsToPixelsX(item.width), unitsToPixelsY(item.height)};
    c.visible = (item.style & style::Visible) != 0;
    c.enabled = !(item.style & style::Disabled);
    const std::uint32_t s = item.style;
    const std::uint32_t button = s & style::ButtonTypeMask;
    switch (predefinedClass(item.windowClass).value_or(0)) {
    case control_class::Button:
        if (button == style::GroupBox) {
            c.type = ControlType::GroupBox;
        } else if (button == style::CheckBox || button == style::AutoCheckBox || button == style::ThreeState
                   || button == style::AutoThreeState) {
            c.type = ControlType::CheckBox;
            c.triState = button == style::ThreeState || button == style::AutoThreeState;
        } else if (button == style::RadioButton || button == style::AutoRadioButton) {
            c.type = ControlType::RadioButton;
        } else {
            c.type = ControlType::PushButton;
            c.isDefault = button == style::DefaultPushButton;
            c.multiLine = (s & style::ButtonMultiLine) != 0;
        }
        break;
    case control_class::Edit:
        c.type = ControlType::Edit;
        c.border = (s & style::Border) != 0;
        c.readOnly = (s & style::EditReadOnly) != 0;
        c.password = (s & style::EditPassword) != 0;
        c.align = (s & style::EditRight) ? platform::TextAlign::Right
            : (s & style::EditCentre)    ? platform::TextAlign::Centre
                                         : platform::TextAlign::Left;
        c.keepsArrows = c.keepsCharacters = true;
        break;
    case control_class::Static: {
        const std::uint32_t type = s & style::StaticTypeMask;
        if (type == style::StaticIcon) {
            c.type = ControlType::Icon;
            c.rect.width = c.rect.height = IconSize;
        } else {
            c.type = ControlType::Static;
            c.align = type == style::StaticCentre ? platform::TextAlign::Centre
                : type == style::StaticRight      ? platform::TextAlign::Right
                                                  : platform::TextAlign::Left;
            c.wordWrap = type <= style::StaticRight;
            c.noPrefix = (s & style::StaticNoPrefix) != 0;
        }
        break;
    }
    case control_class::ScrollBar:
        c.type = ControlType::ScrollBar;
        c.vertical = (s & style::ScrollVertical) != 0;
        c.keepsArrows = true;
        break;
    case control_class::ListBox:
        c.type = ControlType::ListBox;
        c.selection = (s & style::ListMultipleSelection) ? platform::ListSelection::Multiple
            : (s & style::ListExtendedSelection)         ? platform::ListSelection::Extended
                                                         : platform::ListSelection::Single;
        c.sorted = (s & style::ListSort) != 0;
        c.keepsArrows = c.keepsCharacters = true;
        break;
    case control_class::ComboBox:
        c.type = ControlType::ComboBox;
        c.editable = (s & style::ComboTypeMask) != style::ComboDropDownList;
        c.sorted = (s & style::ComboSort) != 0;
        c.keepsArrows = c.keepsCharacters = true;
        break;
    default: c.type = ControlType::Other; break;
    }
    c.tabStop = (s & style::TabStop) && focusable(c.type);
    return c;
}

} // namespace

int unitsToPixelsX(int x) { return scaled(x, 6, 4); }
int unitsToPixelsY(int y) { return scaled(y, 13, 8); }

std::optional<std::uint16_t> predefinedClass(const NameOrOrdinal& windowClass)
{
    if (windowClass.ordinal)
        return windowClass.ordinal;
    static constexpr std::pair<const char*, std::uint16_t> names[] = {
        {"button", control_class::Button},       {"edit", control_class::Edit},
        {"static", control_class::Static},       {"listbox", control_class::ListBox},
        {"scrollbar", control_class::ScrollBar}, {"combobox", control_class::ComboBox},
    };
    std::string lower = windowClass.name;
    for (char& ch : lower)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (const auto& [name, ordinal] : names)
        if (lower == name)
            return ordinal;
    return std::nullopt;
}

platform::DialogLayout buildDialogLayout(const DialogTemplate& t)
{
    platform::DialogLayout layout;
    layout.caption = t.title.ordinal ? std::string() : t.title.name;
    layout.rect = {unitsToPixelsX(t.x), unitsToPixelsY(t.y), unitsToPixelsX(t.width), unitsToPixelsY(t.height)};
    layout.titleBar = (t.style & style::Caption) == style::Caption;
    layout.closeBox = (t.style & style::SystemMenu) != 0;
    layout.centred = (t.style & style::CentreBox) != 0;
    layout.screenRelative = (t.style & style::AbsoluteAlign) != 0;
    layout.controls.reserve(t.items.size());
    for (const TemplateItem& item : t.items)
        layout.controls.push_back(controlLayout(item));
    return layout;
}

} // namespace dialogs
