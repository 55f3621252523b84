#include "render/sprite_render.core.hpp"

#include <algorithm>

#include "render/truncate.core.hpp"

namespace bv {

void drawSprite(const PixelView& target, const SpriteDraw& s, const Hit* hits, int64_t baseline, double ratio,
                uint32_t fogColor, uint32_t groundFogColor, int x0, int x1) {
    const int W = target.width, H = target.height;
    if (!(s.depth > 0) || W <= 0 || H <= 0) return;
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
    double texPosX = 0, texStartY = 0;
    if (xmin < 0) {
        texPosX = double(-xmin) * texStepX;
        xmin = 0;
    }
    if (ymin < 0) {
        texStartY = double(-ymin) * texStepY;
        ymin = 0;
    }
    const int64_t xend = std::min<int64_t>({xmax, W, x1});
    if (xmin >= xend || ymin >= ymax) return;
    // The texture column advances by repeated steps from the billboard's left edge, as when the
    // whole billboard is drawn at once.
    for (; xmin < x0 && xmin < xend; xmin++) texPosX += texStepX;

    const float span = float(ymax - ymin), groundFog = float(s.groundFogAlpha);
    const uint32_t fogAlpha = uint32_t(std::min<int64_t>(s.fogAlpha, 255));
    const int lastX = s.frame.w - 1, lastY = s.frame.h - 1;
    for (int64_t x = xmin; x < xend; x++, texPosX += texStepX) {
        if (!(hits[x].length > s.depth)) continue;
        const int tx = s.frame.x + int(std::clamp<int64_t>(truncSat(texPosX), 0, lastX));
        double texPosY = texStartY;
        uint32_t* out = &target.at(int(x), int(ymin));
        for (int64_t y = ymin; y < ymax; y++, texPosY += texStepY, out += target.pitch) {
            const int ty = s.frame.y + int(std::clamp<int64_t>(truncSat(texPosY), 0, lastY));
            uint32_t px = s.sheet.at(tx, ty);
            if (!s.shadeless) {
                float f = float(y - ymin) / span;
                uint32_t a = uint32_t(truncSat(f * f * groundFog));
                px = alphaBlend(alphaBlend(px, groundFogColor, a), fogColor, fogAlpha);
            }
            *out = blendPixel(s.blendMode, *out, px);
        }
    }
}

}  // namespace bv
