#include "render/raycasting.core.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/blend.core.hpp"
#include "render/truncate.core.hpp"

namespace bv {

namespace {

constexpr int kFloorByte = 1, kCeilingByte = 2;
constexpr unsigned kNoTexture = 255;

using Vec2 = _internal_Vec2;

_internal_Matrix2_2 rotation(double degrees) {
    _internal_Matrix2_2 m;
    _internal_matrix2_2_setAngle(m, degrees * _DEGREES_TO_RAD);
    return m;
}

// Texel column or row for a fraction in [0, 1], kept inside the texture (a fraction of exactly 1
// arises for a flipped face met at an exact cell corner).
inline int texelIndex(double fraction, int size) {
    int64_t i = truncSat(fraction * size);
    return int(std::clamp<int64_t>(i, 0, size - 1));
}

inline double frac(double v) {
    double whole;
    return std::modf(v, &whole);
}

// Distance and fog amounts of one floor or ceiling row; `valid` is false on the horizon row.
struct RowFog {
    double dist;
    int64_t fog, groundFog;
    bool valid;
};

std::vector<RowFog> rowTable(const PixelView& target, const LevelView& level, const FrameView& view) {
    std::vector<RowFog> rows(static_cast<size_t>(target.height));
    const double scale = target.height / view.ratio;
    for (int y = 0; y < target.height; y++) {
        int64_t offset = y > view.baseline ? y - view.baseline : view.baseline - y;
        RowFog& r = rows[size_t(y)];
        r.valid = offset != 0;
        r.dist = scale / double(offset);
        r.fog = truncSat(r.dist * level.fogDensity);
        r.groundFog = level.groundFogDensity > 0 ? truncSat(level.groundFogDensity * r.dist) : 0;
    }
    return rows;
}

struct Column {
    const PixelView& target;
    const LevelView& level;
    const FrameView& view;
    const std::vector<RowFog>& rows;
    int x;
    Vec2 dir;

    void wall(const Hit& hit, int64_t top, int64_t bottom, int64_t realTop, int64_t wallHeight, int64_t groundFog) {
        if (top >= bottom) return;
        const double d = hit.length;
        const int64_t fog = truncSat(d * level.fogDensity);
        if (fog >= 255) {
            for (int64_t y = top; y < bottom; y++) target.at(x, int(y)) = level.fogColor;
            return;
        }
        const PixelView* tex = level.texture(unsigned(hit.textureIndex));
        if (!tex) return;
        double offset;
        if (hit.vert) {
            offset = frac(hit.pos.x);
            if (dir.y > 0) offset = 1 - offset;
        } else {
            offset = frac(hit.pos.y);
            if (dir.x < 0) offset = 1 - offset;
        }
        const uint32_t* texColumn = tex->pixels + texelIndex(offset, tex->width);
        const double texStep = tex->height / double(wallHeight + 1);
        double texY = double(top - realTop) * texStep;
        const int lastRow = tex->height - 1;
        const uint32_t fogColor = level.fogColor, fogAlpha = uint32_t(fog);
        uint32_t* out = &target.at(x, int(top));
        const ptrdiff_t pitch = target.pitch;
        if (level.groundFogDensity < 1) {
            for (int64_t y = top; y < bottom; y++, texY += texStep, out += pitch) {
                int ty = std::min(int(texY), lastRow);
                *out = alphaBlend(texColumn[ptrdiff_t(ty) * tex->pitch], fogColor, fogAlpha);
            }
            return;
        }
        const float height = float(wallHeight), groundAlpha = float(groundFog);
        for (int64_t y = top; y < bottom; y++, texY += texStep, out += pitch) {
            int ty = std::min(int(texY), lastRow);
            float f = float(y - top) / height;
            uint32_t a = uint32_t(truncSat(f * f * groundAlpha));
            uint32_t t = alphaBlend(texColumn[ptrdiff_t(ty) * tex->pitch], level.groundFogColor, a);
            *out = alphaBlend(t, fogColor, fogAlpha);
        }
    }

    void flashlight(const PixelView& light, int64_t top, int64_t bottom, double d) {
        const double step = 3 / d;
        const uint32_t intensity = uint32_t(std::min<int64_t>(truncSat(512 / (d * d)), 255));
        const uint32_t* lightColumn = light.pixels + texelIndex(double(x) / target.width, light.width);
        double texY = 0;
        for (int64_t y = top; y < bottom && texY < light.height; y++, texY += step) {
            uint32_t& px = target.at(x, int(y));
            px = addScaled(px, lightColumn[ptrdiff_t(int(texY)) * light.pitch], intensity);
        }
    }

    // Floor (byte 1) below the wall or ceiling (byte 2) above it, rows first..last-1.
    void flat(int64_t first, int64_t last, int byte) {
        const bool floor = byte == kFloorByte;
        first = std::max<int64_t>(first, 0);
        last = std::min<int64_t>(last, target.height);
        for (int64_t y = first; y < last; y++) {
            const RowFog& r = rows[size_t(y)];
            // Floor rows lie below the horizon and ceiling rows above it; a vanishing wall puts
            // the horizon itself into the range.
            if (!r.valid || (floor ? y < view.baseline : y > view.baseline)) continue;
            const double fx = view.pos.x + r.dist * dir.x, fy = view.pos.y + r.dist * dir.y;
            if (!(fx >= 0 && fy >= 0 && fx < level.width && fy < level.height)) continue;
            const int cx = int(fx), cy = int(fy);
            const unsigned ch = level.data[(size_t(cx) + size_t(cy) * level.width) * 7 + byte];
            if (ch == kNoTexture) continue;
            uint32_t& px = target.at(x, int(y));
            if (r.fog > 254) {
                px = level.fogColor;
                continue;
            }
            const PixelView* tex = level.texture(ch);
            if (!tex) continue;
            uint32_t t = tex->at(texelIndex(fx - cx, tex->width), texelIndex(fy - cy, tex->height));
            if (floor) t = alphaBlend(t, level.groundFogColor, uint32_t(std::min<int64_t>(r.groundFog, 255)));
            px = alphaBlend(t, level.fogColor, uint32_t(r.fog));
        }
    }
};

}  // namespace

void renderSky(const PixelView& target, const PixelView& sky, double camDegrees, int fov, int64_t baseline) {
    if (!hasPixels(target) || !hasPixels(sky)) return;
    const int W = target.width, H = target.height;
    std::vector<int> texX(static_cast<size_t>(W));
    for (int i = 0; i < W; i++) {
        double angle = double(i) / W * fov + camDegrees - fov / 2;
        if (angle < -720) angle = std::fmod(angle, 360.0);
        while (angle < 0) angle += 360;
        texX[size_t(i)] = int(truncSat(sky.width / 360.0 * angle) % sky.width);
    }
    for (int j = 0; j < H; j++) {
        double v = double(j + H - baseline) / (2.0 * H) * sky.height;
        const uint32_t* src = sky.row(int(std::clamp<int64_t>(truncSat(v), 0, sky.height - 1)));
        uint32_t* dst = target.row(j);
        for (int i = 0; i < W; i++) dst[i] = src[texX[size_t(i)]];
    }
}

void renderWalls(const PixelView& target, const LevelView& level, const FrameView& view, const PixelView* flashlight,
                 Hit* hits) {
    const int W = target.width, H = target.height;
    if (!hasPixels(target)) return;
    const _internal_Matrix2_2 rotationStep = rotation(double(view.fov) / W), rotationInit = rotation(view.fov * -0.5);
    const std::vector<RowFog> rows = rowTable(target, level, view);
    const double wallScale = H / view.ratio;
    Vec2 dir = _internal_matrix2_2_apply(rotationInit, view.dir);
    int64_t groundFog = 0;
    for (int x = 0; x < W; x++) {
        Hit& hit = hits[x];
        castRay(level.data, level.width, level.height, &view.pos, &dir, &hit);
        const double d = hit.length;
        if (d < 1e-8) hit.invalid = 1;
        hit.rayDir = dir;
        Column col{target, level, view, rows, x, dir};
        int64_t top = view.baseline, bottom = view.baseline + 1;
        if (!hit.invalid) {
            const int64_t half = truncSat(wallScale / d + 0.5);
            const int64_t realTop = view.baseline - half;
            top = std::max<int64_t>(realTop, 0);
            bottom = std::min<int64_t>(H - 1, view.baseline + half);
            if (level.groundFogDensity > 0) groundFog = std::min<int64_t>(truncSat(level.groundFogDensity * d), 255);
            col.wall(hit, top, bottom, realTop, 2 * half, groundFog);
            if (flashlight && hasPixels(*flashlight)) col.flashlight(*flashlight, top, bottom, d);
        }
        col.flat(bottom, H, kFloorByte);
        col.flat(0, top, kCeilingByte);
        dir = _internal_matrix2_2_apply(rotationStep, dir);
    }
}

}  // namespace bv
