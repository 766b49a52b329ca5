// The desktop's LEED picture: the batch front end's layout at any window size, its labels clear
// of every disc and of each other, its caption naming what the pattern shows.

#include "app/LeedWindow.h"
#include "crystal/Material.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct Box {
    double left, top, right, bottom;
};

Box boxOf(const figure::PictureText& t, double fontSize)
{
    return {t.origin.x, t.origin.y - 0.72 * fontSize, t.origin.x + t.width, t.origin.y + 0.21 * fontSize};
}

} // namespace

TEST(LeedWindow, LabelsNeverCoverASpotOrEachOtherAtAnySize)
{
    struct Row {
        const char* material;
        crystal::Miller hkl;
        double energy;
        const char* superstructure;
        bool domains;
        int width, height;
        const char* caption;   // the caption's first line
        const char* leftOut;   // the start of its second line, or empty
        std::size_t minLabels; // labelled beams at least
    };
    // One row a line.
    // clang-format off
    const Row rows[] = {
        {"Cu", {{1, 0, 0}}, 100, "", false, 600, 600, "Cu (1 0 0)", "", 13},
        {"Cu", {{1, 0, 0}}, 100, "", false, 200, 150, "Cu (1 0 0)", "", 5},
        {"Cu", {{1, 0, 0}}, 100, "c(2x2)", false, 900, 500, "Cu (1 0 0)  c(2x2)", "", 20},
        {"Cu", {{1, 0, 0}}, 400, "(2x1)", true, 600, 600, "Cu (1 0 0)  (2x1), 2 domains", "", 20},
        {"Cu", {{1, 0, 0}}, 90, "3 1 -1 2", true, 1000, 1000, "Cu (1 0 0)  [3 1; -1 2], 4 domains", "", 20},
        {"Pt", {{1, 1, 1}}, 300, "(sqrt3 x sqrt3)R30", false, 600, 600, "Pt (1 1 1)  (sqrt3 x sqrt3)R30", "", 20},
        {"Pt", {{1, 1, 1}}, 200, "(2x2)", true, 320, 700, "Pt (1 1 1)  (2x2)", "", 8},
        {"Cu", {{1, 1, 0}}, 150, "(sqrt3 x sqrt3)R30", false, 600, 600, "Cu (1 1 0)", "(sqrt3 x sqrt3)R30 left out: ", 6},
        {"Cu", {{1, 0, 0}}, 100, "(sqrt3 x sqrt3)R30", false, 450, 450, "Cu (1 0 0)",
         "(sqrt3 x sqrt3)R30 left out: (sqrt3 x sqrt3)R30 does not describe a superstructure of a square surface", 6},
    };
    // clang-format on
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.caption) + " " + row.superstructure + " " + std::to_string(row.width) + "x"
                     + std::to_string(row.height));
        const crystal::SurfaceSpec spec(*crystal::findMaterial(row.material), row.hkl);
        const auto picture =
            app::patternPicture(spec, {row.energy, row.superstructure, row.domains}, row.width, row.height);
        ASSERT_TRUE(picture) << picture.error().message;
        const figure::LeedLayout& l = picture->layout;
        EXPECT_EQ(l.width, row.width);
        EXPECT_EQ(l.height, row.height);
        ASSERT_GE(l.caption.size(), 2u);
        EXPECT_EQ(l.caption.front().text, row.caption);
        char energy[32];
        std::snprintf(energy, sizeof energy, "%g eV", row.energy);
        EXPECT_EQ(l.caption.back().text, energy);
        if (*row.leftOut) {
            ASSERT_EQ(l.caption.size(), 3u);
            EXPECT_EQ(l.caption[1].text.rfind(row.leftOut, 0), 0u) << l.caption[1].text;
            EXPECT_EQ(picture->leftOut.empty(), false);
            EXPECT_FALSE(l.superstructureCell);
        } else {
            EXPECT_EQ(l.caption.size(), 2u);
            EXPECT_EQ(bool(l.superstructureCell), *row.superstructure != '\0');
        }

        std::vector<Box> labels;
        for (const auto& c : l.caption)
            labels.push_back(boxOf(c, l.fontSize));
        std::size_t labelled = 0;
        for (const auto& s : l.spots) {
            if (!s.label)
                continue;
            ++labelled;
            const Box b = boxOf(*s.label, l.fontSize);
            EXPECT_TRUE(b.left >= 0 && b.top >= 0 && b.right <= l.width && b.bottom <= l.height) << s.label->text;
            for (const auto& o : l.spots) {
                const double dx = o.centre.x - std::clamp(o.centre.x, b.left, b.right);
                const double dy = o.centre.y - std::clamp(o.centre.y, b.top, b.bottom);
                EXPECT_GE(std::hypot(dx, dy), o.radius) << s.label->text << " covers a disc";
            }
            for (const Box& o : labels)
                EXPECT_FALSE(b.left < o.right && o.left < b.right && b.top < o.bottom && o.top < b.bottom)
                    << s.label->text << " overlaps another label";
            labels.push_back(b);
        }
        EXPECT_GE(labelled, row.minLabels);
    }
}
