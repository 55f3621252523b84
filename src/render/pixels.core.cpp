// Plain operations on pixel views: fills, copies, the checkerboard.
#include "render/pixels.core.hpp"

#include <algorithm>
#include <cstring>

namespace bv {

void fillRect(const PixelView& view, int x, int y, int w, int h, uint32_t color) {
    // 64-bit edges: x + w must not overflow for rectangles near the int range.
    long long left = std::max<long long>(x, 0), top = std::max<long long>(y, 0);
    long long right = std::min<long long>((long long)x + w, view.width);
    long long bottom = std::min<long long>((long long)y + h, view.height);
    if (left >= right) return;
    for (long long j = top; j < bottom; ++j) {
        uint32_t* r = view.row(int(j));
        std::fill(r + left, r + right, color);
    }
}

void copyPixels(const PixelView& dst, const PixelView& src) {
    int w = std::min(dst.width, src.width), h = std::min(dst.height, src.height);
    if (w <= 0) return;
    for (int j = 0; j < h; ++j) std::memcpy(dst.row(j), src.row(j), size_t(w) * sizeof(uint32_t));
}

void fillChecker(const PixelView& view, uint32_t light, uint32_t dark) {
    int hw = view.width / 2, hh = view.height / 2;
    fillAll(view, light);
    fillRect(view, 0, 0, hw, hh, dark);
    fillRect(view, hw, hh, hw, hh, dark);
}

}  // namespace bv
