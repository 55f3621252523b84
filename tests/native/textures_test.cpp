// Blending rules and pixel-view operations.
#include "check.hpp"
#include "render/blend.core.hpp"
#include "render/pixels.core.hpp"

#include <vector>

using namespace bv;

TEST(alphaBlendDividesBy256AndKeepsBaseAlpha) {
    CHECK_EQ(alphaBlend(0xFF000000, 0x00FFFFFF, 255), 0xFFFEFEFEu);
    CHECK_EQ(alphaBlend(0x80FFFFFF, 0xFF000000, 0), 0x80FEFEFEu);
    CHECK_EQ(alphaBlend(0x11223344, 0x55667788, 128), 0x11435465u);
    CHECK_EQ(alphaBlend(0x00000000, 0x00FFFFFF, 0x1FF), 0x00FEFEFEu);  // only the low alpha byte counts
}

TEST(alphaBlendChannelsDoNotBleed) {
    // Every channel at its maximum with every weight: no carry into the neighbouring channel.
    for (uint32_t a = 0; a < 256; ++a) {
        uint32_t r = alphaBlend(0xFFFFFFFF, 0xFFFFFFFF, a);
        CHECK_EQ(r, 0xFFFEFEFEu);
        CHECK_EQ(alphaBlend(0x00FF00FF, 0x0000FF00, a) >> 24, 0u);
    }
    static_assert(alphaBlend(0, 0x00FF0000, 255) == 0x00FE0000);  // usable at compile time
}

TEST(additiveBlendClampsAndKeepsDestinationAlpha) {
    CHECK_EQ(additiveBlend(0x10A0A0A0, 0xFF808080), 0x10FFFFFFu);
    CHECK_EQ(additiveBlend(0x20102030, 0x00FFFFFF), 0x20102030u);    // a transparent source adds nothing
    CHECK_EQ(additiveBlend(0x00000000, 0x80FF4000), 0x007F2000u);   // 255*128/256 = 127, 64*128/256 = 32
    CHECK_EQ(addScaled(0xFF000000, 0x00FFFFFF, 255), 0xFFFEFEFEu);  // intensity replaces the source alpha
}

TEST(blendPixelDispatchesOnMode) {
    CHECK_EQ(blendPixel(BLEND_BLEND, 0xFF000000, 0x80FFFFFF), alphaBlend(0xFF000000, 0x80FFFFFF, 0x80));
    CHECK_EQ(blendPixel(BLEND_ADD, 0x10A0A0A0, 0xFF808080), 0x10FFFFFFu);
}

namespace {
struct Image {
    int w, h, pitch;
    std::vector<uint32_t> data;
    Image(int w, int h, int pitch, uint32_t fill = 0) : w(w), h(h), pitch(pitch), data(size_t(pitch) * h + 1, fill) {}
    PixelView view() { return {data.data(), w, h, pitch}; }
    uint32_t guard() const { return data.back(); }  // one word after the last row
};
}  // namespace

TEST(fillRectClipsToTheViewAndRespectsPitch) {
    Image img(4, 3, 6, 7);
    fillRect(img.view(), -2, 1, 100, 100, 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) CHECK_EQ(img.data[size_t(y) * 6 + x], uint32_t(y >= 1 && x < 4 ? 1 : 7));
    CHECK_EQ(img.guard(), 7u);
    fillRect(img.view(), 2147483600, 2147483600, 2147483600, 2147483600, 9);  // far outside, no overflow
    fillRect(img.view(), 1, 1, -5, 2, 9);
    for (uint32_t p : img.data) CHECK(p != 9);
}

TEST(fillCheckerLeavesOddEdgeLight) {
    Image img(5, 5, 5);
    fillChecker(img.view(), 0xA, 0x3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            bool dark = (x < 2 && y < 2) || (x >= 2 && x < 4 && y >= 2 && y < 4);
            CHECK_EQ(img.view().at(x, y), dark ? 0x3u : 0xAu);
        }
    Image one(1, 1, 1);
    fillChecker(one.view(), 0xA, 0x3);
    CHECK_EQ(one.view().at(0, 0), 0xAu);
}

TEST(copyPixelsCopiesTheSharedArea) {
    Image src(3, 2, 4, 0x80123456), dst(2, 3, 2, 0);
    copyPixels(dst.view(), src.view());
    CHECK_EQ(dst.view().at(1, 1), 0x80123456u);
    CHECK_EQ(dst.view().at(0, 2), 0u);
    CHECK_EQ(dst.guard(), 0u);
    Image column(1, 5, 1, 0xFF00FF00);  // a single column is copied too
    copyPixels(dst.view(), column.view());
    CHECK_EQ(dst.view().at(0, 2), 0xFF00FF00u);
    CHECK_EQ(dst.view().at(1, 1), 0x80123456u);
    CHECK_EQ(dst.guard(), 0u);
}
