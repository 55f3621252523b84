// The theme's shared drawing figures: the nine-patch and the tiled three-patches.
#pragma once
#include "ui/blit.core.hpp"

namespace bv::ui {

// A 3 x 3 block of pieces at (x, y) with the given column widths and row heights.
struct NinePatch {
    int32_t x, y, leftWidth, middleWidth, rightWidth, topHeight, middleHeight, bottomHeight;
};

// A strip of three pieces side by side (horizontal) or stacked (vertical) at (x, y); `thickness`
// is their common height (horizontal) or width (vertical).
struct ThreePatch {
    int32_t x, y, start, middle, end, thickness;
};

// Draws the corners at natural size and stretches the edges and the centre over `box`.
void drawNinePatch(const PixelView& src, const NinePatch& p, const PixelView& dst, Rect64 box, Rect64 clip);

// Draws the start and end caps at natural size and repeats the middle piece between them; the
// remainder that is not a whole tile gets one squeezed tile. `p.middle` must be positive when the
// space between the caps is (callers report a zero middle as an error).
void drawThreePatchH(const PixelView& src, const ThreePatch& p, const PixelView& dst, int64_t x, int64_t y,
                     int64_t width, Rect64 clip);
void drawThreePatchV(const PixelView& src, const ThreePatch& p, const PixelView& dst, int64_t x, int64_t y,
                     int64_t height, Rect64 clip);

}  // namespace bv::ui
