#pragma once
// The clipboard role: single-byte text and indexed pictures in and out of the system clipboard.

#include "platform/Picture.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's contents with single-byte text (lines ended by CR LF); false
    // when the clipboard cannot be had.
    virtual bool setClipboardText(std::string_view text) = 0;
    // Replaces the clipboard's contents with a picture, its colours exactly the palette's.
    virtual bool setClipboardImage(const IndexedPicture& picture) = 0;
    // The clipboard's text as single-byte characters (characters without one become '?');
    // empty when it holds no text.
    virtual std::optional<std::string> clipboardText() = 0;
};

} // namespace platform
