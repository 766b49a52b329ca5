#pragma once
// Projection of the slab for the current view, the depth order and the drawing of the balls.

#include "geometry/Lattice.h"
#include "geometry/Progress.h"
#include "geometry/Slab.h"

namespace winrt {
class WindowCanvas;
}

namespace render {

// Sine and cosine of an angle in degrees, rounded to single precision. The angle is reduced
// to its remainder by 360 (keeping its sign); remainders 0, 90, 180 and 270 are exact.
float sinDegrees(float degrees);
float cosDegrees(float degrees);

// What the view keeps between calls: the tilt cosine of the last re-sort (1 at start).
struct ViewState {
    float sortedTiltCos = 1.0f;
};

// A re-sort happens only when the tilt cosine moved by more than this.
inline constexpr float ResortThreshold = 0.1f;

// Where a ball's corner sits relative to its view coordinates, and the box its corner must
// lie in to be drawn (the 500 x 450 visible area, with one ball's width of margin).
inline constexpr float PictureOffsetX = 250.0f;
inline constexpr float PictureOffsetY = 200.0f;
inline constexpr int ClipLeft = -32, ClipRight = 500, ClipTop = -32, ClipBottom = 450;
inline constexpr int BallSize = 33;

// Sorts drawOrder by ascending viewZ (deepest first) with a diminishing-increment sort,
// clearing the window first and writing "." every 50 positions of a pass (the window is
// cleared again once more than 1000 dots have been written).
void sortByDepth(geometry::AtomTable& atoms, geometry::ProgressOutput& progress);

// Rotates the frame coordinates about the plane normal by rotation degrees and tilts them
// about the picture's horizontal axis by tilt degrees into the view coordinates; re-sorts
// when the tilt cosine moved by more than the threshold. Returns true when it re-sorted.
bool projectView(float rotation, float tilt, geometry::AtomTable& atoms, ViewState& state,
                 geometry::ProgressOutput& progress);

// View coordinates back to the frame coordinates, then sort.
void resetViewCoordinates(geometry::AtomTable& atoms, geometry::ProgressOutput& progress);

// The corner of atom j's ball on the canvas, or false when it lies outside the clip box.
bool ballCorner(const geometry::AtomTable& atoms, int j, int16_t& x, int16_t& y);

// Clears the canvas and draws every atom in drawOrder as a shaded ball; zinc blende atoms of
// the first species carry the marked picture.
void drawScene(const geometry::AtomTable& atoms, geometry::LatticeCode code, winrt::WindowCanvas& canvas);

// projectView, then drawScene.
void applyView(float rotation, float tilt, geometry::AtomTable& atoms, ViewState& state, geometry::LatticeCode code,
               winrt::WindowCanvas& canvas, geometry::ProgressOutput& progress);

// resetViewCoordinates, then drawScene.
void resetView(geometry::AtomTable& atoms, geometry::LatticeCode code, winrt::WindowCanvas& canvas,
               geometry::ProgressOutput& progress);

// Progress on a canvas: clear_screen of the whole window and out_text.
class CanvasProgress final : public geometry::ProgressOutput {
public:
    explicit CanvasProgress(winrt::WindowCanvas& canvas) : m_canvas(canvas) {}
    void writeText(std::string_view text) override;
    void clearWindow() override;

private:
    winrt::WindowCanvas& m_canvas;
};

} // namespace render
