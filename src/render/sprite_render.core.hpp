// The per-pixel sprite pass: a camera-facing billboard, depth-tested per column against the
// walls of the frame, fogged and blended into the target.
#pragma once
#include <cstdint>
#include <vector>

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

// A billboard placed on the target for one frame: its extent, its first texture column and, per
// target row, the sheet row and the ground fog amount. Shared by every column range drawn.
struct SpriteProjection {
    int64_t xmin = 0, xend = 0, ymin = 0, ymax = 0;  // columns xmin..xend-1, rows ymin..ymax-1
    double texPosX = 0, texStepX = 0;               // texture column at xmin and its step
    std::vector<int> sheetRows;                     // per row from ymin
    std::vector<uint32_t> groundFog;                // per row from ymin (empty when shadeless)
};

SpriteProjection projectSprite(const PixelView& target, const SpriteDraw& sprite, int64_t baseline, double ratio);

namespace plain {
void drawSpriteColumns(const PixelView& target, const SpriteDraw& sprite, const SpriteProjection& projection,
                       const Hit* hits, uint32_t fogColor, uint32_t groundFogColor, int x0, int x1);
}
namespace avx2 {
void drawSpriteColumns(const PixelView& target, const SpriteDraw& sprite, const SpriteProjection& projection,
                       const Hit* hits, uint32_t fogColor, uint32_t groundFogColor, int x0, int x1);
}

// Draws the part of a projected billboard that falls in columns x0..x1-1; `hits` holds one wall
// hit per target column. The version of the pixel path in use draws it.
void drawSpriteColumns(const PixelView& target, const SpriteDraw& sprite, const SpriteProjection& projection,
                       const Hit* hits, uint32_t fogColor, uint32_t groundFogColor, int x0, int x1);

// Projects and draws one whole billboard.
inline void drawSprite(const PixelView& target, const SpriteDraw& sprite, const Hit* hits, int64_t baseline,
                       double ratio, uint32_t fogColor, uint32_t groundFogColor) {
    drawSpriteColumns(target, sprite, projectSprite(target, sprite, baseline, ratio), hits, fogColor, groundFogColor,
                      0, target.width);
}

}  // namespace bv
