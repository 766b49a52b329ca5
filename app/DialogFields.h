#pragma once
// What the user typed into the Surface menu's dialogs, read back as text and numbers.

#include "dialogs/Dialog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// text without its leading and trailing blanks and tabs.
std::string trimmed(std::string_view text);

// The text of a dialog's box, up to 256 characters, without its padding.
std::string fieldText(dialogs::Dialog& dialog, int32_t id);

// The whole text as a finite number, or nothing.
std::optional<double> numberOf(const std::string& text);

} // namespace app
