#include "render/Scene.h"

#include "render/Palette.h"

#include "render/BallImages.h"
#include "winrt/WindowCanvas.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace render {

namespace {

// Remainder of degrees by 360, with the sign of degrees.
double reduceDegrees(float degrees) { return std::fmod(double(degrees), 360.0); }

} // namespace

float sinDegrees(float degrees)
{
    const double a = reduceDegrees(degrees);
    if (a == 0.0 || a == 180.0)
        return 0.0f;
    if (a == 90.0)
        return 1.0f;
    if (a == 270.0)
        return -1.0f;
    return float(std::sin(a * std::numbers::pi / 180.0));
}

float cosDegrees(float degrees)
{
    const double a = reduceDegrees(degrees);
    if (a == 0.0)
        return 1.0f;
    if (a == 90.0 || a == 270.0)
        return 0.0f;
    if (a == 180.0)
        return -1.0f;
    return float(std::cos(a * std::numbers::pi / 180.0));
}

void sortByDepth(geometry::AtomTable& atoms, geometry::ProgressOutput& progress)
{
    progress.clearWindow();
    const int count = atoms.count;
    auto& order = atoms.drawOrder;
    // Each position's depth travels with its atom, so that a comparison reads two neighbouring
    // entries instead of two scattered ones; the exchanges are the same.
    struct Entry {
        float z;
        int atom;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(count) + 1);
    entries.push_back({0.0f, 0}); // positions count from 1
    for (int p = 1; p <= count; ++p)
        entries.push_back({atoms.viewZ[order[p]], order[p]});
    int dots = 0;
    for (int gap = count / 2; gap > 0; gap /= 2) {
        int untilDot = gap % 50 == 0 ? 0 : 50 - gap % 50;
        for (int v = gap; v <= count - 1; ++v) {
            // The chain below position v + 1 is already in order, so the walk can stop at the
            // first entry not deeper than the one moving down: it ends where the exchanges of a
            // walk to the bottom would leave it. The deeper entries move up one step each.
            const Entry moving = entries[size_t(v + 1)];
            int j = v + 1 - gap;
            for (; j >= 1 && entries[size_t(j)].z > moving.z; j -= gap)
                entries[size_t(j + gap)] = entries[size_t(j)];
            entries[size_t(j + gap)] = moving;
            if (untilDot == 0) { // v is a multiple of 50
                untilDot = 50;
                progress.writeText(".");
                ++dots;
            }
            --untilDot;
        }
        if (dots > 1000) {
            progress.clearWindow();
            dots = 0;
        }
    }
    for (int p = 1; p <= count; ++p)
        order[p] = entries[size_t(p)].atom;
}

bool projectView(float rotation, float tilt, geometry::AtomTable& atoms, ViewState& state,
                 geometry::ProgressOutput& progress)
{
    const float c1 = cosDegrees(rotation);
    const float s1 = sinDegrees(rotation);
    const float c2 = cosDegrees(tilt);
    const float s2 = sinDegrees(tilt);
    for (int k = 1; k <= atoms.count; ++k) {
        atoms.viewX[k] = c1 * atoms.frameX[k] + s1 * atoms.frameY[k];
        atoms.viewY[k] = c1 * atoms.frameY[k] - s1 * atoms.frameX[k];
    }
    for (int k = 1; k <= atoms.count; ++k) {
        const float w = atoms.viewY[k];
        atoms.viewZ[k] = c2 * atoms.frameZ[k] + s2 * w;
        atoms.viewY[k] = c2 * w - s2 * atoms.frameZ[k];
    }
    if (std::fabs(c2 - state.sortedTiltCos) > ResortThreshold) {
        sortByDepth(atoms, progress);
        state.sortedTiltCos = c2;
        return true;
    }
    return false;
}

void resetViewCoordinates(geometry::AtomTable& atoms, geometry::ProgressOutput& progress)
{
    for (int k = 1; k <= atoms.count; ++k) {
        atoms.viewX[k] = atoms.frameX[k];
        atoms.viewY[k] = atoms.frameY[k];
        atoms.viewZ[k] = atoms.frameZ[k];
    }
    sortByDepth(atoms, progress);
}

bool ballCorner(const geometry::AtomTable& atoms, int j, int16_t& x, int16_t& y)
{
    const float fx = atoms.viewX[j] + PictureOffsetX;
    const float fy = atoms.viewY[j] + PictureOffsetY;
    // Checked before the conversion: a far-off (or NaN) position must not wrap into the box.
    if (!(fx > float(ClipLeft - 1) && fx < float(ClipRight + 1)))
        return false;
    if (!(fy > float(ClipTop - 1) && fy < float(ClipBottom + 1)))
        return false;
    x = static_cast<int16_t>(fx);
    y = static_cast<int16_t>(fy);
    return x >= ClipLeft && x <= ClipRight && y >= ClipTop && y <= ClipBottom;
}

void drawScene(const geometry::AtomTable& atoms, geometry::LatticeCode code, winrt::WindowCanvas& canvas)
{
    canvas.set_colour(Black);
    canvas.clear_screen(0);
    const bool marked = code == geometry::LatticeCode::ZincBlendeA || code == geometry::LatticeCode::ZincBlendeB;
    for (int k = 1; k <= atoms.count; ++k) {
        const int j = atoms.drawOrder[k];
        int16_t x = 0;
        int16_t y = 0;
        if (!ballCorner(atoms, j, x, y))
            continue;
        canvas.set_colour(Black);
        canvas.draw_ellipse(3, x, y, int16_t(x + 32), int16_t(y + 32));
        canvas.set_colour(BallBlue);
        canvas.draw_ellipse(3, int16_t(x + 1), int16_t(y + 1), int16_t(x + 31), int16_t(y + 31));
        canvas.put_image(int16_t(x + 5), int16_t(y + 5), shadeImage(), 3);
        if (marked && atoms.species[j] == 0)
            canvas.put_image(x, y, markImage(), 0);
    }
}

void applyView(float rotation, float tilt, geometry::AtomTable& atoms, ViewState& state, geometry::LatticeCode code,
               winrt::WindowCanvas& canvas, geometry::ProgressOutput& progress)
{
    projectView(rotation, tilt, atoms, state, progress);
    drawScene(atoms, code, canvas);
}

void resetView(geometry::AtomTable& atoms, geometry::LatticeCode code, winrt::WindowCanvas& canvas,
               geometry::ProgressOutput& progress)
{
    resetViewCoordinates(atoms, progress);
    drawScene(atoms, code, canvas);
}

void CanvasProgress::writeText(std::string_view text) { m_canvas.out_text(text); }

void CanvasProgress::clearWindow() { m_canvas.clear_screen(0); }

} // namespace render
