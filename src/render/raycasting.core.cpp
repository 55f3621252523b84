#include "render/raycasting.core.hpp"

#include <algorithm>
#include <cmath>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Texel column for a fraction in [0, 1], kept inside the texture (a fraction of exactly 1 arises
// for a flipped face met at an exact cell corner).
inline int cornerTexel(double fraction, int size) {
    int64_t i = truncSat(fraction * size);
    return int(std::clamp<int64_t>(i, 0, size - 1));
}

inline double frac(double v) {
    double whole;
    return std::modf(v, &whole);
}

// Distance and fog amounts of one floor or ceiling row.
struct RowFog {
    double dist;
    uint32_t fog, groundFog;  // blend amounts (ground fog already limited to 255)
    bool fogged;              // the fog colour replaces the texel
};

std::vector<RowFog> rowTable(const PixelView& target, const LevelView& level, const FrameView& view) {
    std::vector<RowFog> rows(static_cast<size_t>(target.height));
    const double scale = target.height / view.ratio;
    for (int y = 0; y < target.height; y++) {
        // The horizon row itself is never cast (callers skip it).
        int64_t offset = y > view.baseline ? y - view.baseline : view.baseline - y;
        RowFog& r = rows[size_t(y)];
        r.dist = scale / double(offset);
        int64_t fog = truncSat(r.dist * level.fogDensity);
        r.fog = uint32_t(fog);
        r.fogged = fog > 254;
        int64_t ground = level.groundFogDensity > 0 ? truncSat(level.groundFogDensity * r.dist) : 0;
        r.groundFog = uint32_t(std::min<int64_t>(ground, 255));
    }
    return rows;
}

// Texel of a fraction in [0, 1) of the texture's width or height.
inline int texel(double fraction, int size) { return std::min(int(fraction * size), size - 1); }

// The texture table with one entry per possible index byte: null where nothing can be drawn.
struct TextureTable {
    const PixelView* entries[256];
    explicit TextureTable(const LevelView& level) {
        for (unsigned i = 0; i < 256; i++) entries[i] = level.texture(i);
    }
};

struct Column {
    const PixelView& target;
    const LevelView& level;
    int x;
    Vec2 dir;
    int64_t top, bottom;  // wall rows top..bottom-1; ceiling above, floor below

    void wall(const Hit& hit, int64_t realTop, int64_t wallHeight, int64_t groundFog) const {
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
        const uint32_t* texColumn = tex->pixels + cornerTexel(offset, tex->width);
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

    void flashlight(const PixelView& light, double d) const {
        const double step = 3 / d;
        const uint32_t intensity = uint32_t(std::min<int64_t>(truncSat(512 / (d * d)), 255));
        const uint32_t* lightColumn = light.pixels + cornerTexel(double(x) / target.width, light.width);
        double texY = 0;
        for (int64_t y = top; y < bottom && texY < light.height; y++, texY += step) {
            uint32_t& px = target.at(x, int(y));
            px = addScaled(px, lightColumn[ptrdiff_t(int(texY)) * light.pitch], intensity);
        }
    }
};

// Columns are drawn in blocks of this many: walls column by column, then the block's floor and
// ceiling row by row, so that those writes share cache lines.
constexpr int kBlock = 16;

// alphaBlend(p, overlay, alpha) for each of the n pixels.
void blendAll(uint32_t* px, size_t n, uint32_t overlay, uint32_t alpha) {
    size_t i = 0;
#ifdef __SSE2__
    // Per channel (o * a + b * (255 - a)) >> 8 in 16-bit lanes: every term stays below 65536.
    const uint32_t a = alpha & 0xFF;
    const __m128i zero = _mm_setzero_si128();
    const __m128i oa = _mm_set_epi16(0, short((overlay >> 16 & 0xFF) * a), short((overlay >> 8 & 0xFF) * a),
                                     short((overlay & 0xFF) * a), 0, short((overlay >> 16 & 0xFF) * a),
                                     short((overlay >> 8 & 0xFF) * a), short((overlay & 0xFF) * a));
    const __m128i ia = _mm_set1_epi16(short(255 - a));
    const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
    for (; i + 4 <= n; i += 4) {
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + i));
        __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), ia), oa), 8);
        __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), ia), oa), 8);
        __m128i mixed = _mm_packus_epi16(lo, hi);
        mixed = _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), _mm_and_si128(alphaMask, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(px + i), mixed);
    }
#endif
    for (; i < n; i++) px[i] = alphaBlend(px[i], overlay, alpha);
}

// Floor and ceiling casting, one row of a block of columns at a time. Everything the inner loop
// reads is copied into this struct, so that the pixel writes cannot alias it.
struct FlatPass {
    uint32_t* pixels;
    ptrdiff_t pitch;
    const uint8_t* data;
    size_t levelWidth;
    double width, height, posX, posY;
    uint32_t fogColor, groundFogColor;
    const PixelView* const* textures;

    FlatPass(const PixelView& target, const LevelView& level, const FrameView& view, const TextureTable& table)
        : pixels(target.pixels), pitch(target.pitch), data(level.data), levelWidth(level.width),
          width(level.width), height(level.height), posX(view.pos.x), posY(view.pos.y), fogColor(level.fogColor),
          groundFogColor(level.groundFogColor), textures(table.entries) {}

    // Row y of the ceiling (byte 2) above the walls or of the floor (byte 1) below them: the
    // texels are gathered first, then fogged together.
    template <bool kFloor>
    void row(int y, const RowFog r, const Column* cols, size_t n) const {
        uint32_t* out = pixels + ptrdiff_t(y) * pitch;
        uint32_t texels[kBlock];
        int slots[kBlock];
        size_t m = 0;
        for (size_t i = 0; i < n; i++) {
            const Column& col = cols[i];
            if (kFloor ? y < col.bottom : y >= col.top) continue;
            const double fx = posX + r.dist * col.dir.x, fy = posY + r.dist * col.dir.y;
            if (!(fx >= 0 && fy >= 0 && fx < width && fy < height)) continue;
            const int cx = int(fx), cy = int(fy);
            const unsigned ch = data[(size_t(cx) + size_t(cy) * levelWidth) * 7 + (kFloor ? kFloorByte : kCeilingByte)];
            if (ch == kNoTexture) continue;
            if (r.fogged) {
                out[col.x] = fogColor;
                continue;
            }
            const PixelView* tex = textures[ch];
            if (!tex) continue;
            texels[m] = tex->at(texel(fx - cx, tex->width), texel(fy - cy, tex->height));
            slots[m++] = col.x;
        }
        if (kFloor) blendAll(texels, m, groundFogColor, r.groundFog);
        blendAll(texels, m, fogColor, r.fog);
        for (size_t k = 0; k < m; k++) out[slots[k]] = texels[k];
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
    if (W <= 0 || (H > 0 && !target.pixels)) return;  // a target without rows still casts its rays
    const _internal_Matrix2_2 rotationStep = rotation(double(view.fov) / W), rotationInit = rotation(view.fov * -0.5);
    const std::vector<RowFog> rows = rowTable(target, level, view);
    const TextureTable table(level);
    const FlatPass flat(target, level, view, table);
    const double wallScale = H / view.ratio;
    // Floor rows lie below the horizon and ceiling rows above it.
    const int64_t floorStart = std::max<int64_t>(view.baseline + 1, 0);
    const int64_t ceilingEnd = std::min<int64_t>(view.baseline, H);
    Vec2 dir = _internal_matrix2_2_apply(rotationInit, view.dir);
    int64_t groundFog = 0;
    // Every pixel has one writer (wall, floor or ceiling; the flashlight follows its wall), so
    // drawing in blocks does not change the result.
    std::vector<Column> block;
    block.reserve(kBlock);
    for (int x0 = 0; x0 < W; x0 += kBlock) {
        block.clear();
        int64_t ceilingRows = 0, firstFloor = H;
        for (int x = x0; x < std::min(W, x0 + kBlock); x++) {
            Hit& hit = hits[x];
            castRay(level.data, level.width, level.height, &view.pos, &dir, &hit);
            const double d = hit.length;
            if (d < 1e-8) hit.invalid = 1;
            hit.rayDir = dir;
            Column col{target, level, x, dir, view.baseline, view.baseline + 1};
            if (!hit.invalid) {
                const int64_t half = truncSat(wallScale / d + 0.5);
                const int64_t realTop = view.baseline - half;
                col.top = std::max<int64_t>(realTop, 0);
                col.bottom = std::min<int64_t>(H - 1, view.baseline + half);
                if (level.groundFogDensity > 0) groundFog = std::min<int64_t>(truncSat(level.groundFogDensity * d), 255);
                col.wall(hit, realTop, 2 * half, groundFog);
                if (flashlight && hasPixels(*flashlight)) col.flashlight(*flashlight, d);
            }
            ceilingRows = std::max(ceilingRows, col.top);
            firstFloor = std::min(firstFloor, col.bottom);
            block.push_back(col);
            dir = _internal_matrix2_2_apply(rotationStep, dir);
        }
        const int64_t ceilingStop = std::min(ceilingRows, ceilingEnd);
        for (int64_t y = 0; y < ceilingStop; y++) flat.row<false>(int(y), rows[size_t(y)], block.data(), block.size());
        for (int64_t y = std::max(firstFloor, floorStart); y < H; y++)
            flat.row<true>(int(y), rows[size_t(y)], block.data(), block.size());
    }
}

}  // namespace bv
