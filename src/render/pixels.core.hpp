// A view of 32-bit 0xAARRGGBB pixels and the plain operations on it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace bv {

// Row y starts at pixels + y * pitch; pitch counts pixels, not bytes.
struct PixelView {
    uint32_t* pixels;
    int width, height, pitch;

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    uint32_t* row(int y) const { return pixels + std::ptrdiff_t(y) * pitch; }
    uint32_t& at(int x, int y) const { return row(y)[x]; }
};

// Sets every pixel of the rectangle, clipped to the view, to `color` (no blending).
void fillRect(const PixelView& view, int x, int y, int w, int h, uint32_t color);
inline void fillAll(const PixelView& view, uint32_t color) { fillRect(view, 0, 0, view.width, view.height, color); }

// Copies the pixels of `src` into `dst` at the origin, unchanged, over the area both share.
void copyPixels(const PixelView& dst, const PixelView& src);

// The checker pattern of placeholder images: the top-left and bottom-right quarters dark, the
// others light; with an odd size the last column and row stay light.
void fillChecker(const PixelView& view, uint32_t light, uint32_t dark);

}  // namespace bv
