// The per-pixel passes of the raycasting renderer: walls, floor, ceiling, sky, fog, flashlight.
#include "render/raycasting.core.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "render/pixel_path.core.hpp"
#include "render/truncate.core.hpp"

namespace bv {

namespace {

using Vec2 = _internal_Vec2;

_internal_Matrix2_2 rotation(double degrees) {
    _internal_Matrix2_2 m;
    _internal_matrix2_2_setAngle(m, degrees * _DEGREES_TO_RAD);
    return m;
}

inline bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

void WallFrame::BlendTerms::set(uint32_t color, uint32_t alpha) {
    const uint32_t a = alpha & 0xFF;
    const uint16_t b = uint16_t((color & 0xFF) * a), g = uint16_t((color >> 8 & 0xFF) * a),
                   r = uint16_t((color >> 16 & 0xFF) * a);
    const uint16_t lanes[8] = {b, g, r, 0, b, g, r, 0};
    std::copy(lanes, lanes + 8, overlay);
    inverse = uint16_t(255 - a);
}

WallFrame::WallFrame(const PixelView& target, const LevelView& level, const FrameView& view, const PixelView* sky,
                     double skyDegrees, const PixelView* flashlight, uint32_t background)
    : target_(target), level_(level), view_(view), flashlight_(flashlight && hasPixels(*flashlight) ? flashlight : nullptr),
      background_(background) {
    const int W = std::max(target.width, 0), H = std::max(target.height, 0);
    for (unsigned i = 0; i < 256; i++)
        if (const PixelView* t = level.texture(i))
            textures_[i] = {t->pixels, double(t->width), double(t->height), t->width - 1, t->height - 1, t->pitch,
                            isPowerOfTwo(t->width) && isPowerOfTwo(t->height), fitsIn31Bits(*t, level.grid)};
    // Rays are spaced by equal angles, each turned from the one before.
    dirs_.resize(size_t(W));
    const _internal_Matrix2_2 rotationStep = rotation(double(view.fov) / W), rotationInit = rotation(view.fov * -0.5);
    Vec2 dir = _internal_matrix2_2_apply(rotationInit, view.dir);
    for (int x = 0; x < W; x++) {
        dirs_[size_t(x)] = dir;
        // The next ray turns from this one as the caster leaves it: a zero component replaced
        // by 1e-14.
        if (dir.x == 0) dir.x = 1e-14;
        if (dir.y == 0) dir.y = 1e-14;
        dir = _internal_matrix2_2_apply(rotationStep, dir);
    }
    rows_.resize(size_t(H));
    const double scale = H / view.ratio;
    for (int y = 0; y < H; y++) {
        // The horizon row itself is never cast.
        int64_t offset = y > view.baseline ? y - view.baseline : view.baseline - y;
        RowFog& r = rows_[size_t(y)];
        r.dist = scale / double(offset);
        int64_t fog = truncSat(r.dist * level.fogDensity);
        r.fog = uint32_t(fog);
        r.fogged = fog > 254;
        int64_t ground = level.groundFogDensity > 0 ? truncSat(level.groundFogDensity * r.dist) : 0;
        r.groundFog = uint32_t(std::min<int64_t>(ground, 255));
        r.fogTerms.set(level.fogColor, r.fog);
        r.groundTerms.set(level.groundFogColor, r.groundFog);
    }
    skyRows_.assign(size_t(H), &background_);
    skyColumns_.assign(size_t(W), 0);
    if (!sky || !hasPixels(*sky)) return;
    for (int x = 0; x < W; x++) {
        double angle = double(x) / W * view.fov + skyDegrees - view.fov / 2;
        if (angle < -720) angle = std::fmod(angle, 360.0);
        while (angle < 0) angle += 360;
        skyColumns_[size_t(x)] = int(truncSat(sky->width / 360.0 * angle) % sky->width);
    }
    for (int y = 0; y < H; y++) {
        double v = double(y + H - view.baseline) / (2.0 * H) * sky->height;
        skyRows_[size_t(y)] = sky->row(int(std::clamp<int64_t>(truncSat(v), 0, sky->height - 1)));
    }
}

void WallFrame::draw(int x0, int x1, Hit* hits) const {
    if (pixelPath() == PixelPath::kAvx2)
        avx2::drawWallColumns(*this, x0, x1, hits);
    else
        plain::drawWallColumns(*this, x0, x1, hits);
}

void renderWalls(const PixelView& target, const LevelView& level, const FrameView& view, const PixelView* sky,
                 double skyDegrees, const PixelView* flashlight, uint32_t background, Hit* hits) {
    WallFrame(target, level, view, sky, skyDegrees, flashlight, background).draw(0, target.width, hits);
}

}  // namespace bv
