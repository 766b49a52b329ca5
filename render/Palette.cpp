#include "render/Palette.h"

#include "winrt/Canvas.h"

namespace render {

void installPalette(winrt::Canvas& canvas) { (void)canvas.remap_all_palette(kApplicationPalette); }

} // namespace render
