#include "app/DialogFields.h"

#include <charconv>
#include <cmath>

namespace app {

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string fieldText(dialogs::Dialog& dialog, int32_t id)
{
    std::string text(256, ' ');
    dialogs::DialogGetText(dialog, id, text);
    return trimmed(text);
}

std::optional<double> numberOf(const std::string& text)
{
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace app
