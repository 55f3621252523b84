// Clipped, alpha-blended copies between 32-bit ARGB pixel buffers.
#include "ui/blit.core.hpp"

#include "render/pixel_path.core.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace bv::ui {

Rect64 intersect(const Rect64& r, const Rect64& clip) {
    int64_t left = std::max(r.x, clip.x), top = std::max(r.y, clip.y);
    int64_t right = std::min(r.x + r.w, clip.x + clip.w), bottom = std::min(r.y + r.h, clip.y + clip.h);
    return {left, top, std::max<int64_t>(0, right - left), std::max<int64_t>(0, bottom - top)};
}

uint32_t blendOver(uint32_t dst, uint32_t src, uint32_t alphaMod) {
    uint32_t a = src >> 24;
    if (alphaMod != 255) a = a * alphaMod / 255;
    // What the divisions below give at the extremes: the source itself, or the pixel kept.
    if (a == 255) return src;
    if (a == 0) return dst;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        if (a < 255) s = s * a / 255;
        out |= (s + (255 - a) * d / 255) << shift;
    }
    return out | (a + (255 - a) * (dst >> 24) / 255) << 24;
}

void blendRowOverPlain(uint32_t* dst, const uint32_t* src, int64_t n) {
    if (pixelPath() == PixelPath::kAvx2)
        avx2::blendRowOverPlain(dst, src, n);
    else
        plain::blendRowOverPlain(dst, src, n);
}

void blendRowOver(uint32_t* dst, const uint32_t* src, int64_t n, uint32_t alphaMod) {
    if (pixelPath() == PixelPath::kAvx2)
        avx2::blendRowOver(dst, src, n, alphaMod);
    else
        plain::blendRowOver(dst, src, n, alphaMod);
}

namespace {

Rect64 bounds(const PixelView& v) { return {0, 0, v.width, v.height}; }

uint32_t* row(const PixelView& v, int64_t y) { return v.pixels + y * int64_t(v.pitch); }

// Whether two runs of n pixels share no pixel (they can overlap only when a texture is drawn over itself).
bool apart(const uint32_t* a, const uint32_t* b, int64_t n) {
    const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    const auto bytes = uintptr_t(n) * sizeof(uint32_t);
    return x + bytes <= y || y + bytes <= x;
}

// One axis of a scaled blit as SDL2's SDL_BlitScaled lays it out: the piece is trimmed to the
// source buffer and the destination to the visible span in real numbers, both rounded half away
// from zero and trimmed again; the destination pixels then step through the source in 16.16 fixed
// point, starting half a step in.
struct StretchAxis {
    int64_t src, srcLen, dst, dstLen, step;

    // Source index of destination pixel i (0 <= i < dstLen).
    int64_t at(int64_t i) const { return src + int64_t((__int128(step) / 2 + __int128(i) * step) >> 16); }
};

// False when nothing of the axis is visible.
bool stretchAxis(int64_t from, int64_t fromLen, int64_t srcSize, int64_t to, int64_t toLen, int64_t visible,
                 int64_t visibleLen, StretchAxis& out) {
    const double scale = double(toLen) / double(fromLen);
    double s0 = double(from), s1 = s0 + double(fromLen), d0 = double(to), d1 = d0 + double(toLen);
    if (s0 < 0) {
        d0 -= s0 * scale;
        s0 = 0;
    }
    if (s1 > double(srcSize)) {
        d1 -= (s1 - double(srcSize)) * scale;
        s1 = double(srcSize);
    }
    // Nothing visible; this also keeps the trimmed source within its piece for any sizes.
    if (d1 <= double(visible) || d0 >= double(visible + visibleLen)) return false;
    if (d0 < double(visible)) {
        s0 += (double(visible) - d0) / scale;
        d0 = double(visible);
    }
    if (d1 > double(visible + visibleLen)) {
        s1 -= (d1 - double(visible + visibleLen)) / scale;
        d1 = double(visible + visibleLen);
    }
    Rect64 srcSpan = intersect({std::llround(s0), 0, std::llround(s1 - s0), 1}, {0, 0, srcSize, 1});
    Rect64 dstSpan = intersect({std::llround(d0), 0, std::llround(d1 - d0), 1}, {visible, 0, visibleLen, 1});
    if (srcSpan.w <= 0 || dstSpan.w <= 0) return false;
    out = {srcSpan.x, srcSpan.w, dstSpan.x, dstSpan.w, int64_t((__int128(srcSpan.w) << 16) / dstSpan.w)};
    return true;
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
        if (!apart(d, s, out.w)) {  // a texture drawn over itself reads what it has drawn, in order
            for (int64_t x = 0; x < out.w; ++x)
                d[x] = alphaMod == 255 ? blendOverPlain(d[x], s[x]) : blendOver(d[x], s[x], alphaMod);
        } else if (alphaMod == 255) {
            blendRowOverPlain(d, s, out.w);
        } else {
            blendRowOver(d, s, out.w, alphaMod);
        }
    }
}

void blitScaled(const PixelView& src, Rect64 from, const PixelView& dst, Rect64 to, Rect64 clip,
                uint32_t alphaMod) {
    if (from.w <= 0 || from.h <= 0 || to.w <= 0 || to.h <= 0 || !src.pixels || !dst.pixels) return;
    // Like SDL, a piece drawn at its own size is a plain copy.
    if (from.w == to.w && from.h == to.h) return blitCopy(src, from, dst, to.x, to.y, clip, alphaMod);
    Rect64 visible = intersect(clip, bounds(dst));
    StretchAxis ax, ay;
    if (!stretchAxis(from.x, from.w, src.width, to.x, to.w, visible.x, visible.w, ax) ||
        !stretchAxis(from.y, from.h, src.height, to.y, to.h, visible.y, visible.h, ay))
        return;
    if (src.pixels == dst.pixels) {  // a texture stretched over itself reads what it has drawn, in order
        for (int64_t j = 0; j < ay.dstLen; ++j) {
            const uint32_t* s = row(src, ay.at(j));
            uint32_t* d = row(dst, ay.dst + j) + ax.dst;
            for (int64_t i = 0; i < ax.dstLen; ++i) d[i] = blendOver(d[i], s[ax.at(i)], alphaMod);
        }
        return;
    }
    // Each source row is sampled once into `sampled` for the destination rows that repeat it. A
    // sampled row that is all opaque replaces what it covers: the rows repeating it are copies.
    std::vector<int64_t> columns(static_cast<size_t>(ax.dstLen));
    for (int64_t i = 0; i < ax.dstLen; ++i) columns[size_t(i)] = ax.at(i);
    std::vector<uint32_t> sampled(static_cast<size_t>(ax.dstLen));
    int64_t sampledRow = -1;
    bool replaces = false;
    const uint32_t* lastDrawn = nullptr;
    for (int64_t j = 0; j < ay.dstLen; ++j) {
        const int64_t sy = ay.at(j);
        uint32_t* d = row(dst, ay.dst + j) + ax.dst;
        if (sy == sampledRow && replaces) {
            std::memcpy(d, lastDrawn, size_t(ax.dstLen) * sizeof(uint32_t));
            continue;
        }
        if (sy != sampledRow) {
            const uint32_t* s = row(src, sy);
            for (int64_t i = 0; i < ax.dstLen; ++i) sampled[size_t(i)] = s[columns[size_t(i)]];
            sampledRow = sy;
            replaces = alphaMod == 255 &&
                       std::all_of(sampled.begin(), sampled.end(), [](uint32_t p) { return p >> 24 == 255; });
        }
        blendRowOver(d, sampled.data(), ax.dstLen, alphaMod);
        lastDrawn = d;
    }
}

}  // namespace bv::ui
