// The drawing module's entry point.

#include "figure/CairoPainter.h"

extern "C" __attribute__((visibility("default"))) const figure::cairo::Functions* facetor_cairo_functions()
{
    static const figure::cairo::Functions functions{figure::cairo::figureHeight, figure::cairo::renderFigure,
                                                    figure::cairo::paintLeedPicture, figure::cairo::paintWulffPicture};
    return &functions;
}
