#include "ui/blit.core.hpp"

#include <algorithm>

namespace bv::ui {

Rect64 intersect(const Rect64& r, const Rect64& clip) {
    int64_t left = std::max(r.x, clip.x), top = std::max(r.y, clip.y);
    int64_t right = std::min(r.x + r.w, clip.x + clip.w), bottom = std::min(r.y + r.h, clip.y + clip.h);
    return {left, top, std::max<int64_t>(0, right - left), std::max<int64_t>(0, bottom - top)};
}

uint32_t blendOver(uint32_t dst, uint32_t src, uint32_t alphaMod) {
    uint32_t a = src >> 24;
    if (alphaMod != 255) a = a * alphaMod / 255;
    if (a == 255) return src | 0xFF000000u;
    if (a == 0) return dst;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= uint32_t(d + (s - d) * int32_t(a) / 255) << shift;
    }
    uint32_t da = dst >> 24;
    return out | (a + da * (255 - a) / 255) << 24;
}

namespace {

Rect64 bounds(const PixelView& v) { return {0, 0, v.width, v.height}; }

uint32_t* row(const PixelView& v, int64_t y) { return v.pixels + y * int64_t(v.pitch); }

// The source index sampled by destination index i (at the pixel centre) when n source pixels are
// stretched over m destination pixels; 128-bit so that no theme value can overflow it.
int64_t scaleIndex(int64_t i, int64_t n, int64_t m) {
    return int64_t((__int128(2 * i + 1) * n) / (__int128(2) * m));
}

}  // namespace

void blitCopy(const PixelView& src, Rect64 from, const PixelView& dst, int64_t dstX, int64_t dstY, Rect64 clip,
              uint32_t alphaMod) {
    if (from.w <= 0 || from.h <= 0 || !src.pixels || !dst.pixels) return;
    // Trim the piece to the source buffer, moving the destination with it.
    Rect64 inSrc = intersect(from, bounds(src));
    dstX += inSrc.x - from.x;
    dstY += inSrc.y - from.y;
    Rect64 out = intersect(intersect({dstX, dstY, inSrc.w, inSrc.h}, clip), bounds(dst));
    for (int64_t y = 0; y < out.h; ++y) {
        const uint32_t* s = row(src, inSrc.y + out.y - dstY + y) + (inSrc.x + out.x - dstX);
        uint32_t* d = row(dst, out.y + y) + out.x;
        for (int64_t x = 0; x < out.w; ++x) d[x] = blendOver(d[x], s[x], alphaMod);
    }
}

void blitScaled(const PixelView& src, Rect64 from, const PixelView& dst, Rect64 to, Rect64 clip,
                uint32_t alphaMod) {
    if (from.w <= 0 || from.h <= 0 || to.w <= 0 || to.h <= 0 || !src.pixels || !dst.pixels) return;
    Rect64 out = intersect(intersect(to, clip), bounds(dst));
    for (int64_t y = out.y; y < out.y + out.h; ++y) {
        // Sample at the centre of each destination pixel.
        int64_t sy = from.y + scaleIndex(y - to.y, from.h, to.h);
        if (sy < 0 || sy >= src.height) continue;
        const uint32_t* s = row(src, sy);
        uint32_t* d = row(dst, y);
        for (int64_t x = out.x; x < out.x + out.w; ++x) {
            int64_t sx = from.x + scaleIndex(x - to.x, from.w, to.w);
            if (sx >= 0 && sx < src.width) d[x] = blendOver(d[x], s[sx], alphaMod);
        }
    }
}

}  // namespace bv::ui
