#include "platform/SystemDialogs.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace platform {

bool keepsTypedName(std::string_view path, const SaveFileRequest& request)
{
    if (!fileExtension(path).empty())
        return true;
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    return std::any_of(request.bareNames.begin(), request.bareNames.end(),
                       [name](const std::string& bare) { return !bare.empty() && name.starts_with(bare); });
}

} // namespace platform
