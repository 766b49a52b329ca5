// Any bytes as a dialog template: the reader must refuse or accept them without reading past
// their end, and an accepted template's items must stay within what was read.
#include "dialogs/DialogTemplate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto parsed = dialogs::parseDialogTemplate({data, size});
    // Every item takes at least 18 bytes of the input.
    if (parsed && parsed->items.size() * 18 > size)
        std::abort();
    if (!parsed && parsed.error().message.empty())
        std::abort();
    return 0;
}
