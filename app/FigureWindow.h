#pragma once
// The desktop's figure window: the figure `facetor figure` draws of the surface on screen (element
// colours, the surface cell and the axes), turned as the view dialog turns the picture, fitted to
// the window and shown in the canvas's palette.

#include "app/AdsorbateDialog.h"
#include "crystal/SurfaceCell.h"
#include "figure/CanvasPicture.h"
#include "figure/Figure.h"
#include "platform/Rect.h"
#include "platform/Result.h"

namespace app {

// The figure's options for a view: rotation and tilt in degrees, with the cell and the axes, and
// the sites marked when asked.
figure::FigureOptions figureWindowOptions(double rotation, double tilt, bool sites = false);

// The figure of spec's surface as `facetor figure` lays it out: with the overlayer's adsorbates
// (its caption naming them), or an error naming the fault, the overlayer's among them.
platform::Result<figure::FigureScene> surfaceFigureScene(const crystal::SurfaceSpec& spec,
                                                         const figure::FigureOptions& options,
                                                         const SurfaceOverlayer& overlayer);

// That figure as large as fits in area (pixels, at least 16 wide), or an error naming the fault.
platform::Result<figure::RgbPicture> figureWindowPicture(const crystal::SurfaceSpec& spec,
                                                         const figure::FigureOptions& options,
                                                         const SurfaceOverlayer& overlayer, platform::Size area);

} // namespace app
