// The billboard pass: projection, clipping at the target's edges, depth test and shading.
#include <algorithm>
#include <cmath>
#include <vector>

#include "check.hpp"
#include "render/sprite_render.core.hpp"

using namespace bv;

namespace {

constexpr uint32_t kGround = 0xFF0000FFu, kFog = 0xFF00FF00u;

struct Setup {
    std::vector<uint32_t> sheetPx, targetPx;
    std::vector<Hit> hits;
    PixelView sheet, target;
    Setup() : sheetPx(48 * 24), targetPx(32 * 20, 0xFF000000u), hits(32) {
        // Texel (x, y) of the 48 x 24 sheet encodes its own coordinates.
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 48; x++)
            sheetPx[size_t(y) * 48 + x] = 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8;
        sheet = {sheetPx.data(), 48, 24, 48};
        target = {targetPx.data(), 32, 20, 32};
        for (Hit& h : hits) h.length = 100;
    }
    uint32_t texelShown(int x, int y) const { return alphaBlend(0xFF000000u, sheet.at(x, y), 255); }
};

SpriteDraw billboard(const PixelView& sheet, double depth, double side) {
    return {sheet, {24, 0, 24, 24}, depth, side, 1.0, 0.0, true, BLEND_BLEND, 0, 0};
}

}  // namespace

TEST(sprite_clipped_at_the_left_and_top_keeps_one_texture_origin) {
    // Depth 1 on 32 x 20: half height 12; screenX int(16 - 12.8) = 3, then int(3 + 13 * 0.25) = 6.
    // So xmin = -6 and ymin = 10 - 12 = -2: every drawn column starts at texel row 2.
    Setup s;
    s.hits[3].length = 0.5;  // a nearer wall in column 3
    drawSprite(s.target, billboard(s.sheet, 1.0, -0.4), s.hits.data(), 10, 1.6, kFog, kGround);
    for (int x = 0; x < 18; x++)
        for (int y = 0; y < 20; y++) {
            uint32_t expected = x == 3 ? 0xFF000000u : s.texelShown(24 + 6 + x, 2 + y);
            if (s.target.at(x, y) != expected) {
                CHECK_EQ(s.target.at(x, y), expected);
                return;
            }
        }
    CHECK_EQ(s.target.at(18, 5), 0xFF000000u);
}

TEST(sprite_fog_and_additive_blending) {
    Setup s;
    SpriteDraw d = billboard(s.sheet, 4.0, 0.0);  // half height 3, columns 13..18, rows 7..12
    d.shadeless = false;
    d.fogAlpha = 300;  // limited to 255
    d.groundFogAlpha = 200;
    drawSprite(s.target, d, s.hits.data(), 10, 1.6, kFog, kGround);
    // Row 10: ground fog int((3 / 6)^2 * 200) = 50, then the fog at 255.
    uint32_t texel = s.sheet.at(24 + int(3 * (24.0 / 6)), int(3 * (24.0 / 6)));
    uint32_t shaded = alphaBlend(alphaBlend(texel, kGround, 50), kFog, 255);
    CHECK_EQ(s.target.at(16, 10), alphaBlend(0xFF000000u, shaded, 255));
    CHECK_EQ(s.target.at(12, 10), 0xFF000000u);

    Setup t;
    SpriteDraw add = billboard(t.sheet, 4.0, 0.0);
    add.blendMode = BLEND_ADD;
    t.target.at(16, 10) = 0x10F0F0F0u;
    drawSprite(t.target, add, t.hits.data(), 10, 1.6, kFog, kGround);
    CHECK_EQ(t.target.at(16, 10), additiveBlend(0x10F0F0F0u, t.sheet.at(24 + 12, 12)));
}

TEST(sprite_degenerate_projections_draw_nothing) {
    Setup s;
    SpriteDraw d = billboard(s.sheet, 0.0, 0.0);
    for (double depth : {0.0, -1.0, 1e300}) {
        d.depth = depth;
        drawSprite(s.target, d, s.hits.data(), 10, 1.6, kFog, kGround);
    }
    d.depth = 2;
    for (double scale : {-1.0, 0.0}) {
        d.scale = scale;
        drawSprite(s.target, d, s.hits.data(), 10, 1.6, kFog, kGround);
    }
    bool untouched = true;
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 32; x++) untouched = untouched && s.target.at(x, y) == 0xFF000000u;
    CHECK(untouched);
}

TEST(sprite_projections_stay_inside_the_target_and_the_frame) {
    // The 32 x 20 target sits inside a larger buffer whose other words must stay untouched.
    Setup s;
    std::vector<uint32_t> buf(40 * 22, 0xDEADBEEFu);
    PixelView target{buf.data() + 40, 32, 20, 40};
    SpriteDraw d = billboard(s.sheet, 1e-300, 0.3);
    drawSprite(target, d, s.hits.data(), 10, 1.6, kFog, kGround);
    d.depth = 1;
    for (int64_t baseline : {int64_t(-1) << 40, int64_t(1) << 40, int64_t(10)})
        drawSprite(target, d, s.hits.data(), baseline, 0.0, kFog, kGround);
    d.side = 1e300;
    drawSprite(target, d, s.hits.data(), 10, 1.6, kFog, kGround);
    bool intact = true;
    for (size_t i = 0; i < buf.size(); i++) {
        int row = int(i / 40) - 1, col = int(i % 40);
        if (row < 0 || row >= 20 || col >= 32) intact = intact && buf[i] == 0xDEADBEEFu;
    }
    CHECK(intact);
    CHECK(target.at(16, 10) != 0xDEADBEEFu);  // the near sprite covers the view

    // Rounding carries the texture row of the last screen row to exactly the frame's height
    // here (half height 10, rows 3..17): it stays on the frame's last row, not the next frame's.
    SpriteDraw upper = billboard(s.sheet, 2.0, 0.0);
    upper.frame = {24, 0, 24, 12};
    upper.scale = std::nextafter(0.7, 1.0);
    upper.zOffset = 1.0;
    const SpriteProjection p = projectSprite(s.target, upper, 1, 1.0);
    CHECK_EQ(p.ymax - p.ymin, 15);
    CHECK_EQ(*std::max_element(p.sheetRows.begin(), p.sheetRows.end()), 11);
}
