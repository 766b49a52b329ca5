#include "platform/DialogHost.h"

#include <algorithm>
#include <cctype>

namespace platform {

bool reachesDialog(DialogKeyPress key, const ControlLayout* focused)
{
    switch (key.key) {
    case DialogKey::Enter:
    case DialogKey::Escape:
    case DialogKey::Tab: return true;
    case DialogKey::Up:
    case DialogKey::Down:
    case DialogKey::Left:
    case DialogKey::Right: return focused == nullptr || !focused->keepsArrows;
    case DialogKey::Character: return key.alt || focused == nullptr || !focused->keepsCharacters;
    }
    return false;
}

int sortedItemPosition(std::string_view text, int count, const std::function<std::string(int)>& itemAt)
{
    const auto lower = [](unsigned char ch) { return std::tolower(ch); };
    const auto notAfter = [&](const std::string& item) {
        return !std::lexicographical_compare(text.begin(), text.end(), item.begin(), item.end(),
                                             [&](char a, char b) { return lower(a) < lower(b); });
    };
    int i = 0;
    while (i < count && notAfter(itemAt(i)))
        ++i;
    return i;
}

bool canTakeFocus(const ControlLayout& control)
{
    switch (control.type) {
    case ControlType::Static:
    case ControlType::Icon:
    case ControlType::GroupBox:
    case ControlType::Other: return false;
    case ControlType::ScrollBar: return control.tabStop;
    default: return true;
    }
}

} // namespace platform
