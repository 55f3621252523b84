// Clipped pixel copies between 32-bit ARGB pixel buffers (the texture format), alpha-blended.
#pragma once
#include "render/pixels.core.hpp"
#include "ui/blend.core.hpp"

#include <cstdint>

namespace bv::ui {

// A rectangle in 64 bits, so sums of 32-bit theme values cannot overflow.
struct Rect64 {
    int64_t x, y, w, h;
};

// The part of `r` inside `clip`; width or height may come out as 0 (never negative).
Rect64 intersect(const Rect64& r, const Rect64& clip);

// Copies `src` piece `from` unscaled with its top-left corner at (dstX, dstY). Only pixels that
// lie inside the source buffer, the destination buffer and `clip` are read or written.
void blitCopy(const PixelView& src, Rect64 from, const PixelView& dst, int64_t dstX, int64_t dstY, Rect64 clip,
              uint32_t alphaMod = 255);

// Stretches `src` piece `from` over the destination rectangle `to` (nearest pixel), with the same
// clipping guarantees. Empty pieces or destinations draw nothing.
void blitScaled(const PixelView& src, Rect64 from, const PixelView& dst, Rect64 to, Rect64 clip,
                uint32_t alphaMod = 255);

}  // namespace bv::ui
