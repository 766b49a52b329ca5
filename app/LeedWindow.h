#pragma once
// The desktop's LEED window: the picture `facetor leed --out` draws for the surface on screen,
// laid out at the window's size and shown in the canvas's palette.

#include "app/SurfaceMenu.h"
#include "crystal/SurfaceCell.h"
#include "figure/IndexedCanvas.h"
#include "figure/LeedPicture.h"
#include "platform/Result.h"

#include <string>

namespace app {

// The pattern's picture, and why the superstructure asked for was left out (empty when it was
// drawn or none was asked for).
struct PatternPicture {
    figure::LeedLayout layout;
    std::string leftOut;
};

// The pattern of spec's surface with settings, laid out on width x height pixels as the batch
// front end lays it out, its caption naming the surface, the superstructure and the domains. A
// superstructure the surface cannot carry gives the clean surface's pattern, and the caption's
// second line says why. An error for a text that is no superstructure, or a surface without a
// pattern at that energy. An overlayer takes the superstructure's place: the pattern of its cell
// in every domain the substrate makes, as `facetor leed --adsorbate` draws it; one the surface
// cannot carry is left out like a superstructure.
platform::Result<PatternPicture> patternPicture(
    const crystal::SurfaceSpec& spec, const SurfaceMenu::DiffractionSettings& settings, int width, int height,
    const SurfaceOverlayer& overlayer = std::optional<crystal::Overlayer>());

// Paints the layout as the batch front end's PNG and shows it on the whole canvas; an error when
// the drawing fails.
platform::Status showPatternPicture(const figure::LeedLayout& layout, figure::IndexedCanvas& canvas);

} // namespace app
