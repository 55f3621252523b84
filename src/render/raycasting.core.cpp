// The per-pixel passes of the raycasting renderer: walls, floor, ceiling, sky, fog, flashlight.
#include "render/raycasting.core.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "render/blend.core.hpp"
#include "render/truncate.core.hpp"

namespace bv {

namespace {

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

inline bool isPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

inline double frac(double v) {
    double whole;
    return std::modf(v, &whole);
}

using RowFog = WallFrame::RowFog;
using FlatTexture = WallFrame::FlatTexture;


// The background of a frame: pixel (x, y) is rows[y][columns[x]].
struct Background {
    const uint32_t* const* rows;
    const int* columns;
};

struct Column {
    const PixelView* target;
    const LevelView* level;
    const Background* background;
    int x;
    Vec2 dir;
    int64_t top, bottom;  // wall rows top..bottom-1; ceiling above, floor below
    bool walled = false;  // the ray met a wall, whose foot is at `foot`
    Vec2 foot{};

    // Rows y0..y1-1 show the background.
    void fillBackground(int64_t y0, int64_t y1) const {
        const int column = background->columns[x];
        for (int64_t y = y0; y < y1; y++) target->at(x, int(y)) = background->rows[y][column];
    }

    void wall(const Hit& hit, int64_t realTop, int64_t wallHeight, int64_t groundFog) const {
        if (top >= bottom) return;
        const double d = hit.length;
        const int64_t fog = truncSat(d * level->fogDensity);
        if (fog >= 255) {
            for (int64_t y = top; y < bottom; y++) target->at(x, int(y)) = level->fogColor;
            return;
        }
        const PixelView* tex = level->texture(unsigned(hit.textureIndex));
        if (!tex) {
            fillBackground(top, bottom);
            return;
        }
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
        const uint32_t fogColor = level->fogColor, fogAlpha = uint32_t(fog);
        uint32_t* out = &target->at(x, int(top));
        const ptrdiff_t pitch = target->pitch;
        // Near walls stretch each texel over many rows: blend it once per run.
        const uint32_t* texel = nullptr;
        uint32_t shaded = 0;
        if (level->groundFogDensity < 1) {
            for (int64_t y = top; y < bottom; y++, texY += texStep, out += pitch) {
                const uint32_t* t = texColumn + ptrdiff_t(std::min(int(texY), lastRow)) * tex->pitch;
                if (t != texel) {
                    texel = t;
                    shaded = alphaBlend(*t, fogColor, fogAlpha);
                }
                *out = shaded;
            }
            return;
        }
        const float height = float(wallHeight), groundAlpha = float(groundFog);
        uint32_t amount = 0;
        for (int64_t y = top; y < bottom; y++, texY += texStep, out += pitch) {
            const uint32_t* t = texColumn + ptrdiff_t(std::min(int(texY), lastRow)) * tex->pitch;
            // 0 <= f < 1 and the amount is at most 255: a plain conversion truncates it.
            const float f = float(y - top) / height;
            const uint32_t a = uint32_t(int(f * f * groundAlpha));
            if (t != texel || a != amount) {
                texel = t;
                amount = a;
                shaded = alphaBlend(alphaBlend(*t, level->groundFogColor, a), fogColor, fogAlpha);
            }
            *out = shaded;
        }
    }

    void flashlight(const PixelView& light, double d) const {
        const double step = 3 / d;
        const uint32_t intensity = uint32_t(std::min<int64_t>(truncSat(512 / (d * d)), 255));
        const uint32_t* lightColumn = light.pixels + cornerTexel(double(x) / target->width, light.width);
        double texY = 0;
        for (int64_t y = top; y < bottom && texY < light.height; y++, texY += step) {
            uint32_t& px = target->at(x, int(y));
            px = addScaled(px, lightColumn[ptrdiff_t(int(texY)) * light.pitch], intensity);
        }
    }
};

// Columns are drawn in blocks of this many: walls column by column, then the block's floor and
// ceiling row by row, so that those writes share cache lines.
constexpr int kBlock = 16;

// out[slots[k]] = the k-th texel fogged: alphaBlend(alphaBlend(t, groundFogColor, groundFog),
// fogColor, fog) on the floor, alphaBlend(t, fogColor, fog) on the ceiling. `texels` has room for
// three more texels after the n-th.
template <bool kGround>
void fogAndStore(const uint32_t* texels, const int* slots, size_t n, uint32_t* out, const RowFog& r,
                 [[maybe_unused]] uint32_t fogColor, [[maybe_unused]] uint32_t groundFogColor) {
    size_t i = 0;
#ifdef __SSE2__
    // Per channel (o * a + b * (255 - a)) >> 8 in 16-bit lanes: every term stays below 65536,
    // and the second blend takes the first one's lanes as they are.
    const __m128i zero = _mm_setzero_si128();
    const __m128i fogOverlay = _mm_load_si128(reinterpret_cast<const __m128i*>(r.fogTerms.overlay));
    const __m128i fogInverse = _mm_set1_epi16(short(r.fogTerms.inverse));
    const __m128i groundOverlay = _mm_load_si128(reinterpret_cast<const __m128i*>(r.groundTerms.overlay));
    const __m128i groundInverse = _mm_set1_epi16(short(r.groundTerms.inverse));
    const __m128i alphaMask = _mm_set1_epi32(int(0xFF000000u));
    auto blend4 = [&](size_t at) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels + at));
        __m128i lo = _mm_unpacklo_epi8(b, zero), hi = _mm_unpackhi_epi8(b, zero);
        if (kGround) {
            lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(lo, groundInverse), groundOverlay), 8);
            hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(hi, groundInverse), groundOverlay), 8);
        }
        lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(lo, fogInverse), fogOverlay), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(hi, fogInverse), fogOverlay), 8);
        const __m128i mixed = _mm_packus_epi16(lo, hi);
        return _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), _mm_and_si128(alphaMask, b));
    };
    alignas(16) uint32_t done[4];
    for (; i + 4 <= n; i += 4) {
        const __m128i mixed = blend4(i);
        // Columns drawn side by side take one store.
        if (slots[i + 3] - slots[i] == 3) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + slots[i]), mixed);
            continue;
        }
        _mm_store_si128(reinterpret_cast<__m128i*>(done), mixed);
        for (size_t k = 0; k < 4; k++) out[slots[i + k]] = done[k];
    }
    // The last one to three texels take a group of four too; the lanes after them are ignored.
    if (i < n) {
        _mm_store_si128(reinterpret_cast<__m128i*>(done), blend4(i));
        for (size_t k = 0; i + k < n; k++) out[slots[i + k]] = done[k];
    }
#else
    for (; i < n; i++) {
        const uint32_t t = kGround ? alphaBlend(texels[i], groundFogColor, r.groundFog) : texels[i];
        out[slots[i]] = alphaBlend(t, fogColor, r.fog);
    }
#endif
}

// Offset of the texel at the fractions of (fx, fy) >= 0 in cell (cx, cy).
inline ptrdiff_t texelOffset(const FlatTexture& tex, double fx, double fy, int cx, int cy) {
    if (tex.powerOfTwo) {
        // fx - cx is exact and so is its product with a power of two, which stays below the
        // width: the low bits of the whole part of fx * width are the texel column. Rows alike.
        const int64_t tx = int64_t(fx * tex.width) & tex.lastX, ty = int64_t(fy * tex.height) & tex.lastY;
        return ptrdiff_t(ty) * tex.pitch + ptrdiff_t(tx);
    }
    const int tx = std::min(int((fx - cx) * tex.width), tex.lastX);
    const int ty = std::min(int((fy - cy) * tex.height), tex.lastY);
    return ptrdiff_t(ty) * tex.pitch + tx;
}

// What every column of a block shares: the range of its ray directions (meaningful only when
// they are all finite: min and max skip a NaN), the lowest wall top and the highest row below a
// wall.
struct BlockBounds {
    double minDirX, maxDirX, minDirY, maxDirY;
    int64_t minTop, maxBottom;
    bool finite;

    explicit BlockBounds(const Column& first)
        : minDirX(first.dir.x), maxDirX(first.dir.x), minDirY(first.dir.y), maxDirY(first.dir.y),
          minTop(first.top), maxBottom(first.bottom), finite(isFinite(first.dir)) {}

    static bool isFinite(const Vec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

    void add(const Column& col) {
        finite = finite && isFinite(col.dir);
        minDirX = std::min(minDirX, col.dir.x);
        maxDirX = std::max(maxDirX, col.dir.x);
        minDirY = std::min(minDirY, col.dir.y);
        maxDirY = std::max(maxDirY, col.dir.y);
        minTop = std::min(minTop, col.top);
        maxBottom = std::max(maxBottom, col.bottom);
    }
};

// Floor and ceiling casting, one row of a block of columns at a time. Everything the inner loop
// reads is copied into this struct, so that the pixel writes cannot alias it.
struct FlatPass {
    uint32_t* pixels;
    ptrdiff_t pitch;
    const uint8_t* cellBytes;  // the grid's cells, level::kCellBytes each
    size_t levelWidth;
    double width, height, posX, posY;
    uint32_t fogColor, groundFogColor;
    const FlatTexture* textures;
    Background background;

    FlatPass(const PixelView& target, const LevelView& level, const FrameView& view, const FlatTexture* table,
             Background background)
        : pixels(target.pixels), pitch(target.pitch), cellBytes(reinterpret_cast<const uint8_t*>(level.grid.cells)),
          levelWidth(level.grid.width), width(level.grid.width), height(level.grid.height), posX(view.pos.x),
          posY(view.pos.y), fogColor(level.fogColor), groundFogColor(level.groundFogColor), textures(table),
          background(background) {}

    // What the floor or ceiling pixels of one cell show, and the texture they show.
    struct CellLook {
        enum Shows { kTexels, kBackground, kFog } shows = kBackground;
        FlatTexture texture;
    };

    // The look of a cell with index byte `ch` on a row that is (`fogged`) or is not fully fogged.
    CellLook lookOf(unsigned ch, bool fogged) const {
        if (ch == level::kNoSurface) return {CellLook::kBackground, {}};
        if (fogged) return {CellLook::kFog, {}};
        if (!textures[ch].pixels) return {CellLook::kBackground, {}};
        return {CellLook::kTexels, textures[ch]};
    }

    bool inside(double x, double y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    // Whether every column of `block` meets row y inside the level: a column's fx lies between
    // those of the block's extreme directions, as rounding keeps posX + dist * dir.x monotonic
    // in dir.x (and NaN or infinite bounds fail the test).
    bool allInside(const BlockBounds& block, double dist) const {
        if (!block.finite) return false;
        const double x0 = posX + dist * block.minDirX, x1 = posX + dist * block.maxDirX;
        const double y0 = posY + dist * block.minDirY, y1 = posY + dist * block.maxDirY;
        return x0 >= 0 && x1 >= 0 && x0 < width && x1 < width && y0 >= 0 && y1 >= 0 && y0 < height && y1 < height;
    }

    // Row y of the ceiling above the walls or of the floor below them: the texels are gathered
    // first, then fogged together.
    template <bool kFloor>
    void row(int y, const RowFog r, const Column* cols, size_t n, const BlockBounds& block) const {
        uint32_t* out = pixels + ptrdiff_t(y) * pitch;
        uint32_t texels[kBlock + 3] = {};
        int slots[kBlock];
        const bool everyColumn = kFloor ? y >= block.maxBottom : y < block.minTop;
        const size_t m = everyColumn && allInside(block, r.dist)
                             ? gather<kFloor, false>(y, r, cols, n, out, texels, slots)
                             : gather<kFloor, true>(y, r, cols, n, out, texels, slots);
        fogAndStore<kFloor>(texels, slots, m, out, r, fogColor, groundFogColor);
    }

    // Stores the row's texels and the columns they go to in texels and slots, and returns their
    // count; draws the other pixels of the row. Without `kChecked`, the row is known to cross
    // every column inside the level.
    template <bool kFloor, bool kChecked>
    size_t gather(int y, const RowFog& r, const Column* cols, size_t n, uint32_t* out, uint32_t* texels,
                  int* slots) const {
        const uint32_t* back = background.rows[y];
        size_t m = 0;
        // Neighbouring columns mostly meet the same cell: what its pixels show is worked out once.
        size_t lastCell = SIZE_MAX;
        CellLook look;
        for (size_t i = 0; i < n; i++) {
            const Column& col = cols[i];
            if (kChecked && (kFloor ? y < col.bottom : y >= col.top)) continue;
            double fx = posX + r.dist * col.dir.x, fy = posY + r.dist * col.dir.y;
            if (kChecked && !inside(fx, fy)) {
                // The floor row just under a wall's foot may lie past the wall (its height is
                // rounded) and so outside the level: it shows the floor at the foot.
                if (!kFloor || !col.walled || !inside(col.foot.x, col.foot.y)) {
                    out[col.x] = back[background.columns[col.x]];
                    continue;
                }
                fx = col.foot.x;
                fy = col.foot.y;
            }
            const int cx = int(fx), cy = int(fy);
            const size_t cell = size_t(cx) + size_t(cy) * levelWidth;
            if (cell != lastCell) {
                lastCell = cell;
                const int byte = kFloor ? level::TEXTURE_FLOOR : level::TEXTURE_CEILING;
                look = lookOf(cellBytes[cell * level::kCellBytes + byte], r.fogged);
            }
            if (look.shows != CellLook::kTexels) {
                out[col.x] = look.shows == CellLook::kFog ? fogColor : back[background.columns[col.x]];
                continue;
            }
            texels[m] = look.texture.pixels[texelOffset(look.texture, fx, fy, cx, cy)];
            slots[m++] = col.x;
        }
        return m;
    }
};

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
                            isPowerOfTwo(t->width) && isPowerOfTwo(t->height)};
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
    const PixelView& target = target_;
    const LevelView& level = level_;
    const FrameView& view = view_;
    const int W = target.width, H = target.height;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, W);
    if (x0 >= x1 || (H > 0 && !target.pixels)) return;  // a target without rows still casts its rays
    const Background background{skyRows_.data(), skyColumns_.data()};
    const FlatPass flat(target, level, view, textures_, background);
    const double wallScale = H / view.ratio;
    // Floor rows lie below the horizon and ceiling rows above it.
    const int64_t floorStart = std::clamp<int64_t>(view.baseline + 1, 0, H);
    const int64_t ceilingEnd = std::clamp<int64_t>(view.baseline, 0, H);
    Column block[kBlock];
    for (int b0 = x0; b0 < x1; b0 += kBlock) {
        const int n = std::min(x1 - b0, kBlock);
        int64_t ceilingRows = 0, firstFloor = H;
        for (int i = 0; i < n; i++) {
            const int x = b0 + i;
            Hit& hit = hits[x];
            Vec2 dir = dirs_[size_t(x)];
            castRay(level.grid, &view.pos, &dir, &hit);
            const double d = hit.length;
            if (d < 1e-8) hit.invalid = 1;
            hit.rayDir = dir;
            Column col{&target, &level, &background, x, dir, view.baseline, view.baseline + 1};
            int64_t wallStart = H, wallEnd = H;
            if (!hit.invalid) {
                const int64_t half = truncSat(wallScale / d + 0.5);
                const int64_t realTop = view.baseline - half;
                col.top = std::max<int64_t>(realTop, 0);
                col.bottom = std::min<int64_t>(H - 1, view.baseline + half);
                const int64_t groundFog =
                    level.groundFogDensity > 0 ? std::min<int64_t>(truncSat(level.groundFogDensity * d), 255) : 0;
                col.wall(hit, realTop, 2 * half, groundFog);
                if (flashlight_) col.flashlight(*flashlight_, d);
                col.walled = true;
                col.foot = hit.pos;
                wallStart = col.top;
                wallEnd = col.bottom;
            }
            // The rows that neither the ceiling, the wall nor the floor draw show the background.
            const int64_t ceilingStop = std::clamp<int64_t>(col.top, 0, ceilingEnd);
            const int64_t floorFrom = std::clamp<int64_t>(col.bottom, floorStart, H);
            col.fillBackground(ceilingStop, std::min(floorFrom, wallStart));
            col.fillBackground(std::max(ceilingStop, wallEnd), floorFrom);
            ceilingRows = std::max(ceilingRows, ceilingStop);
            firstFloor = std::min(firstFloor, floorFrom);
            block[i] = col;
        }
        BlockBounds bounds(block[0]);
        for (int i = 1; i < n; i++) bounds.add(block[i]);
        for (int64_t y = 0; y < ceilingRows; y++)
            flat.row<false>(int(y), rows_[size_t(y)], block, size_t(n), bounds);
        for (int64_t y = firstFloor; y < H; y++) flat.row<true>(int(y), rows_[size_t(y)], block, size_t(n), bounds);
    }
}

void renderWalls(const PixelView& target, const LevelView& level, const FrameView& view, const PixelView* sky,
                 double skyDegrees, const PixelView* flashlight, uint32_t background, Hit* hits) {
    WallFrame(target, level, view, sky, skyDegrees, flashlight, background).draw(0, target.width, hits);
}

}  // namespace bv
