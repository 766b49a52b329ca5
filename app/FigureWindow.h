#pragma once
// The desktop's figure window: the figure `facetor figure` draws of the surface on screen (element
// colours, the surface cell and the axes), turned as the view dialog turns the picture, fitted to
// the window and shown in the canvas's palette.

#include "crystal/SurfaceCell.h"
#include "figure/CanvasPicture.h"
#include "figure/Figure.h"
#include "platform/Rect.h"
#include "platform/Result.h"

namespace app {

// The figure's options for a view: rotation and tilt in degrees, with the cell and the axes.
figure::FigureOptions figureWindowOptions(double rotation, double tilt);

// The figure of spec's surface at that view, as large as fits in area (pixels, at least 16
// wide), or an error naming the fault.
platform::Result<figure::RgbPicture> figureWindowPicture(const crystal::SurfaceSpec& spec, double rotation, double tilt,
                                                         platform::Size area);

} // namespace app
