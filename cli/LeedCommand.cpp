// facetor leed: the diffraction pattern of a surface of a real material, listed as text or
// JSON and drawn as on a LEED screen.

#include "cli/Commands.h"

#include "crystal/Leed.h"
#include "crystal/LeedListing.h"
#include "crystal/Superstructure.h"
#include "crystal/SurfaceCell.h"
#include "figure/LeedPicture.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <numbers>

namespace cli {

namespace {

std::string formatText(const crystal::LeedPattern& p, std::string_view title, crystal::Lattice2D type,
                       std::string_view superstructure)
{
    char line[160];
    std::string out(title);
    std::snprintf(line, sizeof line, ", %s cell a = %.4f, b = %.4f Angstrom, gamma = %.2f degrees\n",
                  crystal::lattice2DName(type), crystal::norm(p.a), crystal::norm(p.b),
                  std::acos(crystal::dot(p.a, p.b) / (crystal::norm(p.a) * crystal::norm(p.b))) * 180.0
                      / std::numbers::pi);
    out += line;
    if (!p.domains.empty()) {
        out += "superstructure " + std::string(superstructure) + " = " + figure::matrixText(p.domains.front());
        for (std::size_t d = 1; d < p.domains.size(); ++d)
            out += ", domain " + std::to_string(d + 1) + " " + figure::matrixText(p.domains[d]);
        out += '\n';
    }
    std::snprintf(line, sizeof line, "E = %g eV, k = %.4f 1/Angstrom, %zu beams\n", p.energy, p.waveNumber,
                  p.spots.size());
    out += line;
    out += "     h      k        gx        gy   theta  kind            domain\n";
    for (const auto& s : p.spots) {
        std::snprintf(line, sizeof line, "%6s %6s %9.4f %9.4f %7.2f  %-15s %6d\n", crystal::fractionText(s.h).c_str(),
                      crystal::fractionText(s.k).c_str(), s.gx + 0.0, s.gy + 0.0, s.theta,
                      crystal::spotKindName(s.kind), s.domain);
        out += line;
    }
    return out;
}

} // namespace

int runLeed(const BatchCommand& cmd)
{
    const auto spec = surfaceSpec(cmd);
    if (!spec)
        return fileError(spec.error().message);
    const auto cell = crystal::surfaceCell(*spec, crystal::InPlaneCell::Primitive);
    if (!cell)
        return argumentError(cell.error().message);
    std::optional<crystal::IntMatrix2> matrix = cmd.matrix;
    if (cmd.wood) {
        const auto onCell = crystal::woodMatrix(*cmd.wood, cell->a, cell->b);
        if (!onCell)
            return argumentError(onCell.error().message);
        matrix = *onCell;
    }
    // An overlayer diffracts as its cell: the superstructure of its coverage, in every domain the
    // substrate's symmetry makes, as the terraces of a real surface hold them all.
    const auto overlayer = overlayerOn(cmd, *spec, *cell);
    if (!overlayer)
        return argumentError(overlayer.error().message);
    crystal::LeedDomains domains = cmd.domains;
    if (*overlayer) {
        matrix = (*overlayer)->matrix;
        domains = crystal::LeedDomains::All;
    }
    const auto pattern = crystal::surfaceLeedPattern(*spec, *cell, cmd.energy, matrix, domains);
    if (!pattern)
        return argumentError(pattern.error().message);

    const std::string title = crystal::surfaceTitle(*spec);
    if (cmd.textFormat == TextFormat::Json)
        std::cout << crystal::formatLeedJson(*pattern);
    else
        std::cout << formatText(*pattern, title, crystal::classifyLattice2D(cell->a, cell->b),
                                cmd.wood         ? cmd.wood->text
                                    : *overlayer ? (*overlayer)->coverage
                                    : cmd.matrix ? "matrix"
                                                 : "");
    std::cout.flush();

    if (!cmd.out.empty()) {
        const std::string caption =
            figure::leedCaption(title,
                                *overlayer   ? crystal::overlayerCaption(**overlayer)
                                    : matrix ? (cmd.wood ? cmd.wood->text : figure::matrixText(*matrix))
                                             : "",
                                pattern->domains.size());
        const figure::LeedLayout layout =
            figure::layoutLeedPicture(*pattern, figure::LeedPictureSide, figure::LeedPictureSide, caption);
        if (const auto written = figure::writeLeedPicture(cmd.out, layout); !written) {
            std::cerr << "facetor: " << written.error().message << '\n';
            return 1;
        }
    }
    return 0;
}

} // namespace cli
