// Sprite animation playback, camera-relative values and the choice of the sheet cell to draw.
#pragma once
#include <cstdint>

namespace bv::sprite {

// Playback state of one sprite component.
struct Playback {
    double percentage;  // position in the animation, normally in [0, 1)
    double speed;       // signed progress per unit of time step
};

// Advances the playback by `timeStep`. Oscillating animations reverse at either end (stepping back
// one frame); looping ones restart at 0 when they reach 1.
void advance(Playback& p, bool oscillate, int32_t frameCount, double timeStep);

struct CameraRelation {
    double dist;        // distance between camera and entity
    double angleToCam;  // where the camera stands relative to the entity's facing, in turns, [0, 2)
};
// From the camera position (cx, cy), the entity position (x, y) and its facing (rx, ry).
CameraRelation cameraRelation(double cx, double cy, double x, double y, double rx, double ry);

// The view direction drawn for `angleToCam` with `directions` directions (0 when directions < 1).
int32_t directionIndex(double angleToCam, int32_t directions);

// The frame grid of a sprite sheet.
struct Sheet {
    int32_t xFrames, yFrames;     // frame columns and rows
    int32_t frameW, frameH;       // size of one frame in pixels
    int32_t pixelW, pixelH;       // size of the sheet's pixel surface
};
// The current animation as the component holds it.
struct AnimationState {
    int32_t minFrame;    // first frame of the animation in the sheet
    int32_t frameCount;  // frames per direction
    int32_t directions;  // view directions of the animation (selects the direction index)
    int32_t stride;      // frames per time step in the sheet (the component's current directions)
    double percentage;
    double angleToCam;
};
// A rectangle of sheet pixels.
struct Cell {
    int32_t x, y, w, h;
};

// The sheet cell to draw. False (nothing to draw) when the animation has no frames or the chosen
// frame lies outside the sheet or its pixels. Percentages
// outside [0, 1) use the nearest time step.
bool chooseCell(const Sheet& sheet, const AnimationState& anim, Cell& out);

}  // namespace bv::sprite
