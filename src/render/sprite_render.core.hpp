// The per-pixel sprite pass: a camera-facing billboard, depth-tested per column against the
// walls of the frame, fogged and blended into the target.
#pragma once
#include <cstdint>

#include "render/blend.core.hpp"
#include "render/pixels.core.hpp"
#include "render/raycast.core.hpp"

namespace bv {

// Where a frame lies in a sprite sheet: the sheet cell of frame `frameIndex`, `xFrames` cells a row.
struct SheetFrame {
    int width, height;  // one frame, in pixels
    int x, y;           // top-left pixel in the sheet
};

// The frame of the current animation to show from the viewing angle `angleToCam`; false when
// the frame lies outside the sheet (or the counts cannot select one).
bool chooseSheetFrame(const PixelView& sheet, int frameWidth, int frameHeight, int xFrames, int frameCount,
                      double percentage, int currentDirections, int minFrame, int directions, double angleToCam,
                      SheetFrame& out);

struct SpriteDraw {
    PixelView sheet;
    SheetFrame frame;
    double depth, side;  // camera-relative: along the view direction and to its right
    double scale, zOffset;
    bool shadeless;
    BlendMode blendMode;
    int64_t fogAlpha, groundFogAlpha;
};

// Draws one billboard; `hits` holds one wall hit per target column.
void drawSprite(const PixelView& target, const SpriteDraw& sprite, const Hit* hits, int64_t baseline, double ratio,
                uint32_t fogColor, uint32_t groundFogColor);

}  // namespace bv
