#include "app/LeedWindow.h"

#include "crystal/Leed.h"
#include "crystal/Superstructure.h"
#include "crystal/SurfaceSymmetry.h"
#include "figure/CanvasPicture.h"

namespace app {

platform::Result<PatternPicture> patternPicture(const crystal::SurfaceSpec& spec,
                                                const SurfaceMenu::DiffractionSettings& settings, int width, int height,
                                                const SurfaceOverlayer& overlayer)
{
    const auto cell = crystal::surfaceCell(spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return cell.error();
    crystal::LeedOptions options;
    options.domains = settings.domains ? crystal::LeedDomains::All : crystal::LeedDomains::One;
    std::string named;
    std::string leftOut;
    if (overlayer && *overlayer) {
        options.superstructure = (*overlayer)->matrix;
        options.domains = crystal::LeedDomains::All;
        auto group = crystal::surfacePointGroup(spec, *cell);
        if (!group)
            return group.error();
        options.pointGroup = std::move(*group);
        named = crystal::overlayerCaption(**overlayer);
    } else if (!overlayer) {
        leftOut = overlayer.error().message;
    } else if (!settings.superstructure.empty()) {
        const auto superstructure = crystal::readSuperstructure(settings.superstructure);
        if (!superstructure)
            return superstructure.error();
        if (const auto matrix = superstructure->on(cell->a, cell->b)) {
            options.superstructure = *matrix;
            named = superstructure->wood() ? superstructure->wood()->text : figure::matrixText(*matrix);
            if (settings.domains) {
                auto group = crystal::surfacePointGroup(spec, *cell);
                if (!group)
                    return group.error();
                options.pointGroup = std::move(*group);
            }
        } else {
            leftOut = matrix.error().message;
        }
    }
    const auto pattern = crystal::leedPattern(cell->a, cell->b, settings.energy, options);
    if (!pattern)
        return pattern.error();
    std::string caption = figure::leedCaption(crystal::surfaceTitle(spec), named, pattern->domains.size());
    if (!leftOut.empty())
        caption +=
            "\n" + (overlayer ? settings.superstructure : std::string("the adsorbates")) + " left out: " + leftOut;
    return PatternPicture{figure::layoutLeedPicture(*pattern, width, height, caption), leftOut};
}

platform::Status showPatternPicture(const figure::LeedLayout& layout, figure::IndexedCanvas& canvas)
{
    const auto png = figure::paintLeedPicture(layout, figure::LeedFileFormat::Png);
    if (!png)
        return png.error();
    const auto picture = figure::decodePng(*png);
    if (!picture)
        return picture.error();
    figure::showPicture(*picture, canvas);
    return {};
}

} // namespace app
