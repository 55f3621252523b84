// Projection and per-pixel drawing of one camera-facing sprite billboard.
#include "render/sprite_render.core.hpp"

#include <algorithm>

#include "render/truncate.core.hpp"

namespace bv {

SpriteProjection projectSprite(const PixelView& target, const SpriteDraw& s, int64_t baseline, double ratio) {
    SpriteProjection p;
    const int W = target.width, H = target.height;
    if (!(s.depth > 0) || W <= 0 || H <= 0) return p;
    const int64_t half = truncSat(H / ratio / s.depth);
    const int64_t centre = W / 2;
    int64_t screenX = truncSat(double(centre) + W * s.side / s.depth);
    screenX = truncSat(double(screenX) - double(screenX - centre) * 0.25);
    int64_t xmin = truncSat(double(screenX) - double(half) * s.scale);
    const int64_t xmax = truncSat(double(screenX) + double(half) * s.scale);
    int64_t ymin = truncSat(double(half) * s.zOffset + double(baseline) - s.scale * double(half));
    const int64_t ymax =
        std::min<int64_t>(truncSat(double(baseline) + s.scale * double(half) + double(half) * s.zOffset), H);

    const double texStepX = s.frame.w / double(half * 2) / s.scale;
    const double texStepY = s.frame.h / double(half * 2) / s.scale;
    double texPosX = 0, texPosY = 0;
    if (xmin < 0) {
        texPosX = double(-xmin) * texStepX;
        xmin = 0;
    }
    if (ymin < 0) {
        texPosY = double(-ymin) * texStepY;
        ymin = 0;
    }
    const int64_t xend = std::min<int64_t>(xmax, W);
    if (xmin >= xend || ymin >= ymax) return p;
    p = {xmin, xend, ymin, ymax, texPosX, texStepX, {}, {}};
    // Every column walks the same texture rows.
    const int lastY = s.frame.h - 1;
    const size_t rows = size_t(ymax - ymin);
    p.sheetRows.resize(rows);
    for (size_t k = 0; k < rows; k++, texPosY += texStepY)
        p.sheetRows[k] = s.frame.y + int(std::clamp<int64_t>(truncSat(texPosY), 0, lastY));
    if (!s.shadeless) {
        const float span = float(ymax - ymin), groundFog = float(s.groundFogAlpha);
        p.groundFog.resize(rows);
        for (size_t k = 0; k < rows; k++) {
            float f = float(int64_t(k)) / span;
            p.groundFog[k] = uint32_t(truncSat(f * f * groundFog));
        }
    }
    return p;
}

void drawSpriteColumns(const PixelView& target, const SpriteDraw& s, const SpriteProjection& p, const Hit* hits,
                       uint32_t fogColor, uint32_t groundFogColor, int x0, int x1) {
    const int64_t xend = std::min<int64_t>(p.xend, x1);
    if (p.xmin >= xend) return;
    // The texture column advances by repeated steps from the billboard's left edge, as when the
    // whole billboard is drawn at once.
    double texPosX = p.texPosX;
    int64_t x = p.xmin;
    for (; x < x0 && x < xend; x++) texPosX += p.texStepX;
    const uint32_t fogAlpha = uint32_t(std::min<int64_t>(s.fogAlpha, 255));
    const int lastX = s.frame.w - 1;
    const size_t rows = size_t(p.ymax - p.ymin);
    for (; x < xend; x++, texPosX += p.texStepX) {
        if (!(hits[x].length > s.depth)) continue;
        const uint32_t* sheetColumn = s.sheet.pixels + s.frame.x + int(std::clamp<int64_t>(truncSat(texPosX), 0, lastX));
        uint32_t* out = &target.at(int(x), int(p.ymin));
        // Runs of rows show the same texel with the same fog: shade it once per run.
        uint32_t lastTexel = 0, lastAmount = 0, shaded = 0;
        bool fresh = false;
        for (size_t k = 0; k < rows; k++, out += target.pitch) {
            uint32_t px = sheetColumn[ptrdiff_t(p.sheetRows[k]) * s.sheet.pitch];
            if (!s.shadeless) {
                const uint32_t a = p.groundFog[k];
                if (!fresh || px != lastTexel || a != lastAmount) {
                    lastTexel = px;
                    lastAmount = a;
                    shaded = alphaBlend(alphaBlend(px, groundFogColor, a), fogColor, fogAlpha);
                    fresh = true;
                }
                px = shaded;
            }
            *out = blendPixel(s.blendMode, *out, px);
        }
    }
}

}  // namespace bv
