#include "render/Palette.h"

#include "winrt/WindowCanvas.h"

namespace render {

void installPalette(winrt::WindowCanvas& canvas) { (void)canvas.remap_all_palette(kApplicationPalette); }

} // namespace render
