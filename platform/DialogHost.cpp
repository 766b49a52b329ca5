#include "platform/DialogHost.h"

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
