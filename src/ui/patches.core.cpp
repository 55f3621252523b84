// Drawing nine-patches and tiled three-patches into a clipped box.
#include "ui/patches.core.hpp"

#include <algorithm>

namespace bv::ui {

void drawNinePatch(const PixelView& src, const NinePatch& p, const PixelView& dst, Rect64 box, Rect64 clip) {
    const int64_t srcCols[3] = {p.x, int64_t(p.x) + p.leftWidth, int64_t(p.x) + p.leftWidth + p.middleWidth};
    const int64_t srcRows[3] = {p.y, int64_t(p.y) + p.topHeight, int64_t(p.y) + p.topHeight + p.middleHeight};
    const int64_t srcW[3] = {p.leftWidth, p.middleWidth, p.rightWidth};
    const int64_t srcH[3] = {p.topHeight, p.middleHeight, p.bottomHeight};
    const int64_t midW = box.w - p.leftWidth - p.rightWidth, midH = box.h - p.topHeight - p.bottomHeight;
    const int64_t dstCols[3] = {box.x, box.x + p.leftWidth, box.x + p.leftWidth + midW};
    const int64_t dstRows[3] = {box.y, box.y + p.topHeight, box.y + p.topHeight + midH};
    const int64_t dstW[3] = {p.leftWidth, midW, p.rightWidth};
    const int64_t dstH[3] = {p.topHeight, midH, p.bottomHeight};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            Rect64 from{srcCols[c], srcRows[r], srcW[c], srcH[r]};
            if (r != 1 && c != 1)
                blitCopy(src, from, dst, dstCols[c], dstRows[r], clip);
            else
                blitScaled(src, from, dst, {dstCols[c], dstRows[r], dstW[c], dstH[r]}, clip);
        }
    }
}

namespace {

// Lays out one strip along a single axis; `place(offset, srcOffset, srcLength, dstLength, scaled)`
// draws one piece at `offset` along the axis.
template <class Place>
void threePatch(const ThreePatch& p, int64_t length, int64_t visibleFrom, int64_t visibleTo, Place place) {
    place(0, 0, p.start, p.start, false);
    const int64_t available = length - p.start - p.end;
    const int64_t middle = p.middle;
    if (middle != 0) {
        // Truncation toward zero, as a real division would give.
        const int64_t count = available / middle;
        if (count > 0 && middle > 0) {
            // Only the tiles that can reach the visible span are drawn.
            int64_t first = std::max<int64_t>(0, (visibleFrom - p.start) / middle - 1);
            int64_t last = std::min<int64_t>(count, (visibleTo - p.start) / middle + 1);
            for (int64_t i = first; i < last; ++i) place(p.start + i * middle, p.start, middle, middle, false);
        }
        const int64_t rest = available - count * middle;
        if (rest > 0) place(p.start + count * middle, p.start, middle, rest, true);
    }
    place(length - p.end, int64_t(p.start) + p.middle, p.end, p.end, false);
}

}  // namespace

void drawThreePatchH(const PixelView& src, const ThreePatch& p, const PixelView& dst, int64_t x, int64_t y,
                     int64_t width, Rect64 clip) {
    Rect64 visible = intersect(clip, {0, 0, dst.width, dst.height});
    threePatch(p, width, visible.x - x, visible.x + visible.w - x,
               [&](int64_t at, int64_t srcAt, int64_t srcLen, int64_t dstLen, bool scaled) {
                   Rect64 from{p.x + srcAt, p.y, srcLen, p.thickness};
                   if (scaled)
                       blitScaled(src, from, dst, {x + at, y, dstLen, p.thickness}, clip);
                   else
                       blitCopy(src, from, dst, x + at, y, clip);
               });
}

void drawThreePatchV(const PixelView& src, const ThreePatch& p, const PixelView& dst, int64_t x, int64_t y,
                     int64_t height, Rect64 clip) {
    Rect64 visible = intersect(clip, {0, 0, dst.width, dst.height});
    threePatch(p, height, visible.y - y, visible.y + visible.h - y,
               [&](int64_t at, int64_t srcAt, int64_t srcLen, int64_t dstLen, bool scaled) {
                   Rect64 from{p.x, p.y + srcAt, p.thickness, srcLen};
                   if (scaled)
                       blitScaled(src, from, dst, {x, y + at, p.thickness, dstLen}, clip);
                   else
                       blitCopy(src, from, dst, x, y + at, clip);
               });
}

}  // namespace bv::ui
