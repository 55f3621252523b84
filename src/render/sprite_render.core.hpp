// The per-pixel sprite pass: a camera-facing billboard, depth-tested per column against the
// walls of the frame, fogged and blended into the target.
#pragma once
#include <cstdint>
#include <limits>

#include "ecs/sprite.core.hpp"
#include "render/blend.core.hpp"
#include "render/pixels.core.hpp"
#include "render/raycast.core.hpp"

namespace bv {

struct SpriteDraw {
    PixelView sheet;
    sprite::Cell frame;  // the frame's pixels in the sheet, inside it
    double depth, side;  // camera-relative: along the view direction and to its right
    double scale, zOffset;
    bool shadeless;
    BlendMode blendMode;
    int64_t fogAlpha, groundFogAlpha;
};

// Draws the part of one billboard that falls in columns x0..x1-1; `hits` holds one wall hit per
// target column.
void drawSprite(const PixelView& target, const SpriteDraw& sprite, const Hit* hits, int64_t baseline, double ratio,
                uint32_t fogColor, uint32_t groundFogColor, int x0 = 0,
                int x1 = std::numeric_limits<int>::max());

}  // namespace bv
