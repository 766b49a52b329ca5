// The equilibrium shape's picture: what faces the viewer is drawn, inside the picture, and the
// files are what their names say.

#include "figure/WulffPicture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace figure {
namespace {

using crystal::Miller;

crystal::WulffShape cubeOctahedron(double cubeEnergy)
{
    const std::array<crystal::Position, 3> cube = {crystal::Position{1, 0, 0}, crystal::Position{0, 1, 0},
                                                   crystal::Position{0, 0, 1}};
    std::vector<Miller> hundreds, elevens;
    for (int64_t s : {1, -1}) {
        hundreds.push_back(Miller{{s, 0, 0}});
        hundreds.push_back(Miller{{0, s, 0}});
        hundreds.push_back(Miller{{0, 0, s}});
        for (int64_t y : {1, -1})
            for (int64_t z : {1, -1})
                elevens.push_back(Miller{{s, y, z}});
    }
    return *crystal::wulffShape(cube, {{Miller{{1, 0, 0}}, hundreds, cubeEnergy}, {Miller{{1, 1, 1}}, elevens, 1.0}});
}

TEST(WulffPicture, FacesTowardTheViewerInsideThePicture)
{
    const struct {
        double cubeEnergy;
        WulffView view;
        std::size_t faces; // facing the viewer
        std::size_t key;   // families with area
    } rows[] = {
        {0.5, {0.0, 0.0}, 1, 1},    // a cube seen along z: its top face
        {0.5, {30.0, -60.0}, 3, 1}, // three faces from a general direction
        {0.5, {10.0, -5.0}, 3, 1},  // nearly along z: two sides seen as slivers, too thin to label
        {1.2, {0.0, 0.0}, 5, 2},    // truncated octahedron along z: the square and four hexagons
        {2.0, {0.0, 0.0}, 4, 1},    // the octahedron: four faces
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cubeEnergy);
        const auto shape = cubeOctahedron(row.cubeEnergy);
        const WulffLayout layout = layoutWulffPicture(shape, {"(1 0 0)", "(1 1 1)"}, false, row.view, 400.0, "Cu");
        EXPECT_EQ(layout.faces.size(), row.faces);
        EXPECT_EQ(layout.key.size(), row.key);
        double seen = 0.0;
        for (const WulffFacePicture& face : layout.faces)
            for (std::size_t i = 0; i < face.corners.size(); ++i) {
                const PicturePoint& p = face.corners[i];
                const PicturePoint& q = face.corners[(i + 1) % face.corners.size()];
                EXPECT_GE(p.x, 0.0);
                EXPECT_LE(p.x, layout.width);
                EXPECT_GE(p.y, 0.0);
                EXPECT_LE(p.y, layout.height);
                seen += p.x * q.y - q.x * p.y;
            }
        // Not mirrored: faces wind counter-clockwise seen from outside, so with y downwards the
        // shoelace sum is negative.
        EXPECT_LT(seen, 0.0);
        // Labels only where they fit: each label's ends lie inside its face (clockwise on paper,
        // so every edge has the point on its right), and the large faces have one.
        int labelled = 0;
        for (const WulffFacePicture& face : layout.faces) {
            if (!face.label)
                continue;
            ++labelled;
            const PictureText& t = *face.label;
            for (const PicturePoint end : {t.origin, PicturePoint{t.origin.x + t.width, t.origin.y}})
                for (std::size_t i = 0; i < face.corners.size(); ++i) {
                    const PicturePoint& a = face.corners[i];
                    const PicturePoint& b = face.corners[(i + 1) % face.corners.size()];
                    EXPECT_LE((b.x - a.x) * (end.y - a.y) - (b.y - a.y) * (end.x - a.x), 0.0);
                }
        }
        EXPECT_GE(labelled, 1);
    }
}

TEST(WulffPicture, FilesAreWhatTheirNamesSay)
{
    const WulffLayout layout = layoutWulffPicture(cubeOctahedron(1.1), {"(1 0 0)", "(1 1 1)"}, false, {}, 200.0, "Cu");
    const struct {
        FigureFormat format;
        std::string start;
    } rows[] = {{FigureFormat::Png, "\x89PNG"}, {FigureFormat::Svg, "<?xml"}, {FigureFormat::Pdf, "%PDF"}};
    for (const auto& row : rows) {
        const auto bytes = paintWulffPicture(layout, row.format);
        ASSERT_TRUE(bytes) << bytes.error().message;
        EXPECT_EQ(bytes->substr(0, row.start.size()), row.start);
    }
}

} // namespace
} // namespace figure
