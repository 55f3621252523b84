// Per-pixel blending of 0xAARRGGBB words: pure, branch-free, meant to be inlined in inner loops.
#pragma once
#include <algorithm>
#include <cstdint>

namespace bv {

enum BlendMode : uint32_t {
    BLEND_BLEND = 0,  // alpha blending with the drawn pixel's own alpha
    BLEND_ADD = 1,    // additive blending
};

// `overlay` over `base` with weight alpha & 0xFF: each colour channel (o * a + b * (255 - a)) >> 8.
// The result keeps `base`'s alpha byte.
constexpr uint32_t alphaBlend(uint32_t base, uint32_t overlay, uint32_t alpha) {
    uint32_t a = alpha & 0xFF, ia = 255 - a;
    // Red and blue share one multiplication: each product sum is below 65536, so they do not mix.
    uint32_t rb = (((overlay & 0xFF00FF) * a + (base & 0xFF00FF) * ia) >> 8) & 0xFF00FF;
    uint32_t g = (((overlay & 0xFF00) * a + (base & 0xFF00) * ia) >> 8) & 0xFF00;
    return (base & 0xFF000000) | rb | g;
}

// Adds `src` scaled by intensity & 0xFF to `dst`: each colour channel min(255, d + s * i / 256).
// The result keeps `dst`'s alpha byte.
constexpr uint32_t addScaled(uint32_t dst, uint32_t src, uint32_t intensity) {
    uint32_t i = intensity & 0xFF;
    auto channel = [&](int shift) {
        uint32_t d = (dst >> shift) & 0xFF, s = (src >> shift) & 0xFF;
        return std::min<uint32_t>(255, d + ((s * i) >> 8)) << shift;
    };
    return (dst & 0xFF000000) | channel(16) | channel(8) | channel(0);
}

// The additive rule: `src` weighted by its own alpha, added to `dst`.
constexpr uint32_t additiveBlend(uint32_t dst, uint32_t src) { return addScaled(dst, src, src >> 24); }

// Draws `src` over `dst` with the given mode.
constexpr uint32_t blendPixel(BlendMode mode, uint32_t dst, uint32_t src) {
    return mode == BLEND_ADD ? additiveBlend(dst, src) : alphaBlend(dst, src, src >> 24);
}

}  // namespace bv
