// Blits, nine-patch and three-patch of the UI theme.
#include "check.hpp"
#include "ui/patches.core.hpp"

#include <vector>

using namespace bv;
using namespace bv::ui;

namespace {

// A buffer whose opaque pixels name their own coordinates: 0xFF00XXYY.
struct Buffer {
    std::vector<uint32_t> px;
    PixelView view;
    Buffer(int w, int h, bool coded) : px(size_t(w) * h), view{px.data(), w, h, w} {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = coded ? 0xFF000000u | x << 8 | y : 0;
    }
    uint32_t at(int x, int y) const { return px[size_t(y) * view.pitch + x]; }
};

const Rect64 kNoClip{-(1LL << 40), -(1LL << 40), 1LL << 41, 1LL << 41};

uint32_t code(int x, int y) { return 0xFF000000u | x << 8 | y; }

}  // namespace

TEST(blit_copy_is_clipped_to_both_buffers) {
    Buffer src(8, 8, true), dst(6, 6, false);
    // Source piece hanging over the source's left edge and a destination over the right edge.
    blitCopy(src.view, {-2, 0, 6, 2}, dst.view, 3, 1, kNoClip);
    CHECK(dst.at(5, 1) == code(0, 0));
    CHECK(dst.at(4, 1) == 0);  // would have been source x -1
    CHECK(dst.at(5, 2) == code(0, 1));
    CHECK(dst.at(5, 3) == 0);
    // Far outside everything: nothing happens (and nothing is touched).
    blitCopy(src.view, {1 << 30, 1 << 30, 1 << 30, 1 << 30}, dst.view, -(1LL << 33), 1LL << 33, kNoClip);
    // Less than half a source pixel shows: like SDL, nothing is drawn.
    blitScaled(src.view, {0, 0, 8, 8}, dst.view, {-(1LL << 33), -(1LL << 33), 1LL << 34, 1LL << 34}, kNoClip);
    CHECK(dst.at(0, 0) == 0);
    blitScaled(src.view, {-(1LL << 31), 0, 1, 8}, dst.view, {0, 0, 1LL << 32, 8}, kNoClip);
    blitScaled(src.view, {0, 0, 1LL << 31, 8}, dst.view, {-(1LL << 33), 0, 1, 8}, kNoClip);
    CHECK(dst.at(0, 0) == 0);
    // Empty or mirrored destinations and a source without pixels draw nothing.
    for (Rect64 to : {Rect64{0, 0, -4, 4}, Rect64{0, 0, 4, -4}, Rect64{6, 6, -6, -6}, Rect64{0, 0, 0, 4}})
        blitScaled(src.view, {0, 0, 8, 8}, dst.view, to, kNoClip);
    blitScaled({nullptr, 8, 8, 8}, {0, 0, 8, 8}, dst.view, {0, 0, 4, 4}, kNoClip);
    blitCopy({nullptr, 8, 8, 8}, {0, 0, 8, 8}, dst.view, 0, 0, kNoClip);
    CHECK(dst.at(0, 0) == 0 && dst.at(2, 2) == 0 && dst.at(5, 5) == 0);
    blitScaled(src.view, {0, 0, 8, 8}, dst.view, {-36, -36, 80, 80}, kNoClip);
    CHECK(dst.at(0, 0) == code(4, 4) && dst.at(5, 5) == code(4, 4));
}

TEST(blit_respects_the_clip_rectangle) {
    Buffer src(4, 4, true), dst(8, 8, false);
    blitCopy(src.view, {0, 0, 4, 4}, dst.view, 0, 0, {1, 1, 2, 2});
    CHECK(dst.at(0, 0) == 0);
    CHECK(dst.at(1, 1) == code(1, 1));
    CHECK(dst.at(2, 2) == code(2, 2));
    CHECK(dst.at(3, 3) == 0);
}

TEST(blit_scaled_stretches_by_nearest_pixel) {
    Buffer src(2, 1, true), dst(8, 2, false);
    blitScaled(src.view, {0, 0, 2, 1}, dst.view, {0, 0, 8, 2}, kNoClip);
    CHECK(dst.at(0, 0) == code(0, 0) && dst.at(3, 1) == code(0, 0));
    CHECK(dst.at(4, 0) == code(1, 0) && dst.at(7, 1) == code(1, 0));
    Buffer column(1, 2, true), tall(1, 4, false);  // as wide, but taller: stretched, not copied
    blitScaled(column.view, {0, 0, 1, 2}, tall.view, {0, 0, 1, 4}, kNoClip);
    CHECK(tall.at(0, 1) == code(0, 0) && tall.at(0, 2) == code(0, 1) && tall.at(0, 3) == code(0, 1));
    // A piece hanging half past the source's right edge: the target keeps the same half.
    Buffer row(4, 1, true), wide(16, 1, false);
    blitScaled(row.view, {0, 0, 8, 1}, wide.view, {0, 0, 16, 1}, kNoClip);
    CHECK(wide.at(7, 0) == code(3, 0) && wide.at(8, 0) == 0);
    // And half before its left edge: the visible half moves right with it, from where it is drawn.
    Buffer early(16, 1, false);
    blitScaled(row.view, {-2, 0, 4, 1}, early.view, {1, 0, 8, 1}, kNoClip);
    CHECK(early.at(4, 0) == 0 && early.at(5, 0) == code(0, 0) && early.at(8, 0) == code(1, 0) && early.at(9, 0) == 0);
}

// SDL_BlitScaled's sampling: 16.16 fixed-point steps from half a step in, and a clipped piece
// re-rounded to the source pixels the visible part covers.
TEST(blit_scaled_samples_like_sdl) {
    Buffer src(8, 1, true);
    const int squeezed[] = {0, 1, 3, 4, 5, 7};
    Buffer whole(6, 1, false);
    blitScaled(src.view, {0, 0, 8, 1}, whole.view, {0, 0, 6, 1}, kNoClip);
    for (int i = 0; i < 6; ++i) CHECK(whole.at(i, 0) == code(squeezed[i], 0));
    Buffer clipped(6, 1, false);
    blitScaled(src.view, {0, 0, 8, 1}, clipped.view, {0, 0, 6, 1}, {2, 0, 3, 1});
    CHECK(clipped.at(1, 0) == 0 && clipped.at(5, 0) == 0);
    CHECK(clipped.at(2, 0) == code(3, 0) && clipped.at(3, 0) == code(4, 0) && clipped.at(4, 0) == code(6, 0));
    Buffer shifted(6, 1, false);
    blitScaled(src.view, {0, 0, 8, 1}, shifted.view, {-3, 0, 6, 1}, kNoClip);
    CHECK(shifted.at(0, 0) == code(4, 0) && shifted.at(1, 0) == code(5, 0) && shifted.at(2, 0) == code(7, 0));
    CHECK(shifted.at(3, 0) == 0);
}

TEST(blend_over_keeps_opaque_and_transparent_extremes) {
    CHECK(blendOver(0xFF102030, 0xFFAABBCC, 255) == 0xFFAABBCC);
    CHECK(blendOver(0xFF102030, 0x00AABBCC, 255) == 0xFF102030);
    CHECK(blendOver(0xFF000000, 0xFFFFFFFF, 0) == 0xFF000000);
    uint32_t half = blendOver(0xFF000000, 0xFFFFFFFF, 128);
    CHECK(((half >> 16) & 0xFF) == 128 && half >> 24 == 0xFF);
    CHECK(blendOver(0xFF102030, 0x80FF0000, 255) == 0xFF870F17);  // SDL's scaled blend, in divisions by 255
}

TEST(plain_blend_rounds_like_sdl_blits) {
    CHECK(blendOverPlain(0x12345678, 0xFFAABBCC) == 0xFFAABBCC);
    CHECK(blendOverPlain(0x12345678, 0x00AABBCC) == 0x12345678);
    CHECK(blendOverPlain(0xFFB75092, 0x3CEB3FFD) == 0xFDC24AAA);  // in shifts by 8: an opaque pixel loses alpha
}

TEST(nine_patch_at_corner_size_draws_only_corners) {
    // Columns 2/3/2 and rows 2/3/2 starting at (1, 1).
    Buffer src(10, 10, true), dst(10, 10, false);
    NinePatch p{1, 1, 2, 3, 2, 2, 3, 2};
    drawNinePatch(src.view, p, dst.view, {0, 0, 4, 4}, kNoClip);
    CHECK(dst.at(0, 0) == code(1, 1));
    CHECK(dst.at(2, 0) == code(6, 1));  // top-right corner right after the top-left one
    CHECK(dst.at(0, 2) == code(1, 6));
    CHECK(dst.at(3, 3) == code(7, 7));
}

TEST(nine_patch_stretches_the_middle) {
    Buffer src(10, 10, true), dst(12, 12, false);
    NinePatch p{0, 0, 1, 1, 1, 1, 1, 1};
    drawNinePatch(src.view, p, dst.view, {1, 1, 10, 10}, kNoClip);
    // Every pixel: the box's first and last rows and columns take the corners and edges, nothing
    // falls outside the box.
    auto piece = [](int at) { return at == 1 ? 0 : at == 10 ? 2 : 1; };
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            CHECK(dst.at(x, y) == (x < 1 || x > 10 || y < 1 || y > 10 ? 0 : code(piece(x), piece(y))));
}

TEST(nine_patch_smaller_than_its_corners_overlaps_them) {
    Buffer src(10, 10, true), dst(10, 10, false);
    NinePatch p{0, 0, 3, 1, 3, 3, 1, 3};
    drawNinePatch(src.view, p, dst.view, {0, 0, 4, 4}, kNoClip);
    // The right column starts at 4 - 3 - 3 + 3 = 1 and is drawn after the left one.
    CHECK(dst.at(1, 0) == code(4, 0));
    CHECK(dst.at(3, 3) == code(6, 6));
}

TEST(three_patch_tiles_and_squeezes_the_remainder) {
    // left 4, middle 8, right 4 at (0, 0), height 1; drawn 30 wide.
    Buffer src(16, 1, true), dst(40, 1, false);
    ThreePatch p{0, 0, 4, 8, 4, 1};
    drawThreePatchH(src.view, p, dst.view, 2, 0, 30, kNoClip);
    CHECK(dst.at(2, 0) == code(0, 0));    // left cap at X
    CHECK(dst.at(6, 0) == code(4, 0));    // tile 1 at X + 4
    CHECK(dst.at(14, 0) == code(4, 0));   // tile 2 at X + 12
    CHECK(dst.at(21, 0) == code(11, 0));  // tile 2 ends at X + 19
    CHECK(dst.at(22, 0) == code(4, 0));   // squeezed 6-pixel tile at X + 20
    CHECK(dst.at(28, 0) == code(12, 0));  // right cap at X + 26
    CHECK(dst.at(31, 0) == code(15, 0));
    CHECK(dst.at(32, 0) == 0);
}

TEST(three_patch_without_a_middle_between_touching_caps) {
    Buffer src(8, 1, true), dst(10, 1, false);
    drawThreePatchH(src.view, ThreePatch{0, 0, 4, 0, 4, 1}, dst.view, 1, 0, 8, kNoClip);
    CHECK(dst.at(0, 0) == 0 && dst.at(1, 0) == code(0, 0) && dst.at(5, 0) == code(4, 0) && dst.at(8, 0) == code(7, 0));
    CHECK(dst.at(9, 0) == 0);
}

TEST(three_patch_with_whole_tiles_has_no_remainder) {
    Buffer src(16, 1, true), dst(32, 1, false);
    ThreePatch p{0, 0, 4, 8, 4, 1};
    drawThreePatchH(src.view, p, dst.view, 0, 0, 24, kNoClip);
    CHECK(dst.at(19, 0) == code(11, 0));
    CHECK(dst.at(20, 0) == code(12, 0));
    CHECK(dst.at(24, 0) == 0);  // nothing past the strip's end
}

TEST(vertical_three_patch_stacks_pieces) {
    Buffer src(1, 16, true), dst(1, 40, false);
    ThreePatch p{0, 0, 4, 8, 4, 1};
    drawThreePatchV(src.view, p, dst.view, 0, 0, 33, kNoClip);
    CHECK(dst.at(0, 0) == code(0, 0));
    for (int tile = 0; tile < 3; ++tile) CHECK(dst.at(0, 4 + 8 * tile) == code(0, 4) && dst.at(0, 11 + 8 * tile) == code(0, 11));
    CHECK(dst.at(0, 28) == code(0, 8));  // a remainder of one pixel still takes the squeezed tile's middle row
    CHECK(dst.at(0, 29) == code(0, 12) && dst.at(0, 32) == code(0, 15));
    CHECK(dst.at(0, 33) == 0);
}

TEST(huge_three_patch_draws_only_visible_tiles) {
    // Caps of 1 and a middle of 3: the visible pixels lie two billion pixels into the strip,
    // 1999999999 into the tiles, that is one pixel into a tile.
    Buffer src(5, 1, true), dst(4, 1, false);
    ThreePatch p{0, 0, 1, 3, 1, 1};
    drawThreePatchH(src.view, p, dst.view, -2000000000, 0, 4000000000LL, kNoClip);
    CHECK(dst.at(0, 0) == code(2, 0) && dst.at(1, 0) == code(3, 0));
    CHECK(dst.at(2, 0) == code(1, 0) && dst.at(3, 0) == code(2, 0));
    // A theme may give a negative start cap: it draws nothing and the tiles start that far left of
    // the strip, so the visible window is found from there (tiles at -4, -2, ... 10).
    Buffer tiles(16, 1, true), strip(12, 1, false);
    drawThreePatchH(tiles.view, ThreePatch{8, 0, -4, 2, 0, 1}, strip.view, 0, 0, 12, kNoClip);
    for (int x = 0; x < 12; ++x) CHECK(strip.at(x, 0) == code(4 + x % 2, 0));
}

namespace {

// The blends as SDL writes them, one channel at a time: the figures the faster forms must match.
uint32_t referencePlain(uint32_t dst, uint32_t src) {
    uint32_t a = src >> 24;
    if (a == 255) return src;
    if (a == 0) return dst;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= ((s * a >> 8) + (d * (255 - a) >> 8)) << shift;
    }
    return out | ((a * 255 >> 8) + ((dst >> 24) * (255 - a) >> 8)) << 24;
}

uint32_t referenceScaled(uint32_t dst, uint32_t src, uint32_t alphaMod) {
    uint32_t a = (src >> 24) * alphaMod / 255, out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        if (a < 255) s = s * a / 255;
        out |= (s + (255 - a) * d / 255) << shift;
    }
    return out | (a + (255 - a) * (dst >> 24) / 255) << 24;
}

struct Random {
    uint64_t state = 0x9E3779B97F4A7C15u;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return uint32_t(state >> 16);
    }
    // Text-like pixels: runs of transparent and opaque ones between blended edges.
    uint32_t textPixel() {
        uint32_t r = next(), kind = r % 4;
        uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : r >> 24;
        return alpha << 24 | (next() & 0xFFFFFF);
    }
};

}  // namespace

TEST(blends_match_sdl_for_every_alpha) {
    Random rnd;
    for (uint32_t a = 0; a < 256; ++a)
        for (int k = 0; k < 64; ++k) {
            uint32_t src = a << 24 | (rnd.next() & 0xFFFFFF), dst = rnd.next();
            CHECK(blendOverPlain(dst, src) == referencePlain(dst, src));
            uint32_t alphaMod = k == 0 ? 255 : rnd.next() & 0xFF;
            CHECK(blendOver(dst, src, alphaMod) == referenceScaled(dst, src, alphaMod));
        }
}

// The row blends of the pixel path in use, on rows of every length up to a few wide steps and at
// every offset, against the pixel-by-pixel blends (alphaMod 256: the plain blend).
TEST(row_blends_match_the_pixel_blends) {
    Random rnd;
    std::vector<uint32_t> src(64), dst(64), expected(64);
    for (uint32_t alphaMod : {256u, 255u, 0u, 1u, 128u, 254u})
        for (int n = 0; n <= 40; ++n)
            for (int offset = 0; offset < 3; ++offset) {
                for (int i = 0; i < 64; ++i) {
                    src[size_t(i)] = rnd.textPixel();
                    dst[size_t(i)] = expected[size_t(i)] = rnd.next();
                }
                // Whole steps of one kind, so the wide loop's shortcuts are taken too.
                if (n > 16)
                    for (int i = 0; i < 8; ++i)
                        src[size_t(offset + i)] &= 0x00FFFFFF, src[size_t(offset + 8 + i)] |= 0xFF000000;
                for (int i = 0; i < n; ++i) {
                    uint32_t& e = expected[size_t(offset + i)];
                    e = alphaMod == 256 ? referencePlain(e, src[size_t(offset + i)])
                                        : referenceScaled(e, src[size_t(offset + i)], alphaMod);
                }
                if (alphaMod == 256)
                    blendRowOverPlain(dst.data() + offset, src.data() + offset, n);
                else
                    blendRowOver(dst.data() + offset, src.data() + offset, n, alphaMod);
                CHECK(dst == expected);
            }
}

// A stretched piece copies the rows it repeats only when they replace what they cover; drawn at
// its own size, it is a copy (as in SDL, unmodulated copies blend in shifts by 8).
TEST(blit_scaled_repeats_only_opaque_rows) {
    for (uint32_t alphaMod : {255u, 200u}) {
        // Destination rows far apart in red, so a row copied where it had to be blended shows
        // through the 55/255 of the pixel below that a modulated opaque source keeps.
        Buffer src(2, 3, true), dst(6, 9, true), under(6, 9, true), copy(2, 2, false);
        for (size_t i = 0; i < dst.px.size(); ++i) dst.px[i] = under.px[i] |= uint32_t(i * 7) << 16;
        src.px[2] = 0x80FF0000;  // row 1 holds a half-transparent pixel
        src.px[4] = 0x80FF0000;  // row 2 holds no opaque pixel, one fully transparent
        src.px[5] = 0x0000FF00;
        for (uint32_t& p : copy.px) p = 0xFF0000FF;
        blitScaled(src.view, {0, 0, 2, 3}, dst.view, {0, 0, 6, 9}, kNoClip, alphaMod);
        blitScaled(src.view, {0, 0, 2, 2}, copy.view, {0, 0, 2, 2}, kNoClip, alphaMod);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 6; ++x)
                CHECK(dst.at(x, y) == referenceScaled(under.at(x, y), src.at(x / 3, y / 3), alphaMod));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                CHECK(copy.at(x, y) == (alphaMod == 255 ? referencePlain(0xFF0000FF, src.at(x, y))
                                                        : referenceScaled(0xFF0000FF, src.at(x, y), alphaMod)));
    }
    // A texture stretched over itself reads what it has already drawn, pixel by pixel in order.
    Buffer self(4, 4, true), expected(4, 4, true);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) expected.px[size_t(y) * 4 + x] = expected.at(x / 2, y / 2);
    blitScaled(self.view, {0, 0, 2, 2}, self.view, {0, 0, 4, 4}, kNoClip);
    CHECK(self.px == expected.px);
    // And a texture copied over itself one pixel to the right repeats its first pixel (a row wide
    // enough for the wide steps, which must not be used there).
    Buffer shifted(20, 1, true);
    blitCopy(shifted.view, {0, 0, 20, 1}, shifted.view, 1, 0, kNoClip);
    for (int x = 0; x < 20; ++x) CHECK(shifted.at(x, 0) == code(0, 0));
}
