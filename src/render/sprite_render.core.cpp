// Projection and per-pixel drawing of one camera-facing sprite billboard.
#include "render/sprite_render.core.hpp"

#include <algorithm>

#include "render/pixel_path.core.hpp"
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
    if (pixelPath() == PixelPath::kAvx2)
        avx2::drawSpriteColumns(target, s, p, hits, fogColor, groundFogColor, x0, x1);
    else
        plain::drawSpriteColumns(target, s, p, hits, fogColor, groundFogColor, x0, x1);
}

}  // namespace bv
