// Source-over blending of 32-bit ARGB pixels as SDL2 blits them: one pixel, and whole rows in a
// version for any x86-64 processor and one for AVX2 (the renderer's pixel path picks the one used).
#pragma once
#include <cstdint>

namespace bv::ui {

// SDL's plain per-pixel-alpha blit, in shifts by 8: an opaque source replaces the pixel, a
// transparent one leaves it. Red with blue and green with alpha are blended two channels at a
// time; no channel sum exceeds 254, so none carries into its neighbour.
inline uint32_t blendOverPlain(uint32_t dst, uint32_t src) {
    const uint32_t a = src >> 24;
    if (a == 255) return src;
    if (a == 0) return dst;
    const uint32_t keep = 255 - a, lanes = 0x00FF00FF;
    const uint32_t srcRB = src & lanes, srcGA = ((src >> 8) & 0xFF) | 0x00FF0000;  // alpha blends as 255 * a
    const uint32_t dstRB = dst & lanes, dstGA = (dst >> 8) & lanes;
    const uint32_t rb = ((srcRB * a >> 8) & lanes) + ((dstRB * keep >> 8) & lanes);
    const uint32_t ga = ((srcGA * a >> 8) & lanes) + ((dstGA * keep >> 8) & lanes);
    return rb | ga << 8;
}

// SDL's scaled and alpha-modulated blits: the source alpha scaled by alphaMod / 255, then every
// product divided by 255.
uint32_t blendOver(uint32_t dst, uint32_t src, uint32_t alphaMod);

// dst[i] = blendOverPlain(dst[i], src[i]), and dst[i] = blendOver(dst[i], src[i], alphaMod), for
// i < n. The two rows must not overlap.
namespace plain {
void blendRowOverPlain(uint32_t* dst, const uint32_t* src, int64_t n);
void blendRowOver(uint32_t* dst, const uint32_t* src, int64_t n, uint32_t alphaMod);
}  // namespace plain
namespace avx2 {
void blendRowOverPlain(uint32_t* dst, const uint32_t* src, int64_t n);
void blendRowOver(uint32_t* dst, const uint32_t* src, int64_t n, uint32_t alphaMod);
}  // namespace avx2
// The same through the version in use.
void blendRowOverPlain(uint32_t* dst, const uint32_t* src, int64_t n);
void blendRowOver(uint32_t* dst, const uint32_t* src, int64_t n, uint32_t alphaMod);

}  // namespace bv::ui
