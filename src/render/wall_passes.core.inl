// The per-pixel passes of WallFrame, compiled once per instruction set: the including file
// defines BV_PASSES_NAMESPACE (the namespace under bv that receives drawWallColumns) and
// BV_PASSES_AVX2 (1 when the functions are compiled for AVX2). The arithmetic is the same on
// every path, so that every path draws the same pixels.
// No include guard: each instruction set's file includes this once.

namespace bv::BV_PASSES_NAMESPACE {

namespace {

using Vec2 = _internal_Vec2;

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

    // How the wall rows of a column are drawn: all in the fog colour, all background, or texels
    // of one texture column stepped down row by row (texY at the first row) and fogged.
    struct WallLook {
        enum Shows { kNothing, kFog, kBackground, kTexels } shows = kNothing;
        const uint32_t* texColumn = nullptr;
        ptrdiff_t texPitch = 0;
        int lastRow = 0;
        double texY = 0, texStep = 0;
        uint32_t fogAlpha = 0;
    };

    WallLook wallLook(const Hit& hit, int64_t realTop, int64_t wallHeight) const {
        WallLook look;
        if (top >= bottom) return look;
        const double d = hit.length;
        const int64_t fog = truncSat(d * level->fogDensity);
        if (fog >= 255) {
            look.shows = WallLook::kFog;
            return look;
        }
        const PixelView* tex = level->texture(unsigned(hit.textureIndex));
        if (!tex) {
            look.shows = WallLook::kBackground;
            return look;
        }
        double offset;
        if (hit.vert) {
            offset = frac(hit.pos.x);
            if (dir.y > 0) offset = 1 - offset;
        } else {
            offset = frac(hit.pos.y);
            if (dir.x < 0) offset = 1 - offset;
        }
        look.shows = WallLook::kTexels;
        look.texColumn = tex->pixels + cornerTexel(offset, tex->width);
        look.texPitch = tex->pitch;
        look.lastRow = tex->height - 1;
        look.texStep = tex->height / double(wallHeight + 1);
        look.texY = double(top - realTop) * look.texStep;
        look.fogAlpha = uint32_t(fog);
        return look;
    }

    void wall(const WallLook& look, int64_t wallHeight, int64_t groundFog) const {
        if (look.shows == WallLook::kNothing) return;
        if (look.shows == WallLook::kFog) {
            for (int64_t y = top; y < bottom; y++) target->at(x, int(y)) = level->fogColor;
            return;
        }
        if (look.shows == WallLook::kBackground) {
            fillBackground(top, bottom);
            return;
        }
        const uint32_t* texColumn = look.texColumn;
        const double texStep = look.texStep;
        double texY = look.texY;
        const int lastRow = look.lastRow;
        const uint32_t fogColor = level->fogColor, fogAlpha = look.fogAlpha;
        uint32_t* out = &target->at(x, int(top));
        const ptrdiff_t pitch = target->pitch;
        // Near walls stretch each texel over many rows: blend it once per run.
        const uint32_t* texel = nullptr;
        uint32_t shaded = 0;
        if (level->groundFogDensity < 1) {
            for (int64_t y = top; y < bottom; y++, texY += texStep, out += pitch) {
                const uint32_t* t = texColumn + ptrdiff_t(std::min(int(texY), lastRow)) * look.texPitch;
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
            const uint32_t* t = texColumn + ptrdiff_t(std::min(int(texY), lastRow)) * look.texPitch;
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

#if BV_PASSES_AVX2
// alphaBlend on 16-bit channel lanes: (color * a + p * (255 - a)) >> 8, where `a` holds each
// pixel's amount in its four lanes.
inline __m256i blendLanes(__m256i p, __m256i color, __m256i a) {
    const __m256i inverse = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(color, a), _mm256_mullo_epi16(p, inverse)), 8);
}

// Spreads the amounts of 32-bit lanes over the 16-bit channel lanes of the pixels that
// _mm256_unpacklo_epi8 (kHigh false) or _mm256_unpackhi_epi8 (kHigh true) widen.
template <bool kHigh>
inline __m256i amountLanes(__m256i amounts) {
    constexpr char a = kHigh ? 8 : 0, b = kHigh ? 12 : 4, z = char(0x80);
    const __m256i spread = _mm256_setr_epi8(a, z, a, z, a, z, a, z, b, z, b, z, b, z, b, z,  //
                                            a, z, a, z, a, z, a, z, b, z, b, z, b, z, b, z);
    return _mm256_shuffle_epi8(amounts, spread);
}

// The textured wall rows of up to eight neighbouring columns, drawn row by row with one lane per
// column, so that each row of the eight takes one masked store instead of eight strided ones.
// Each lane steps its texture row exactly as the column loop does: one addition per row from
// its first row on.
class WallTile {
public:
    WallTile() { clear(); }

    void clear() {
        used_ = 0;
        for (int k = 0; k < kLanes; k++) {
            top_[k] = INT32_MAX;
            bottom_[k] = INT32_MIN;
            texY_[k] = step_[k] = 0;
            // An idle lane reads one harmless word.
            column_[k] = int64_t(reinterpret_cast<intptr_t>(&kIdleTexel));
            pitchBytes_[k] = lastRow_[k] = fog_[k] = 0;
            ground_[k] = 0;
            height_[k] = 1;
        }
    }

    // Takes the wall of column `lane` (0..7) when it shows texels whose rows the wide loads can
    // reach; false leaves it to the column loop.
    bool take(int lane, const Column& col, const Column::WallLook& look, int64_t wallHeight, int64_t groundFog) {
        if (look.shows != Column::WallLook::kTexels || look.texPitch < 0 || look.texPitch > (INT32_MAX >> 2))
            return false;
        used_ |= 1u << lane;
        top_[lane] = int32_t(col.top);
        bottom_[lane] = int32_t(col.bottom);
        texY_[lane] = look.texY;
        step_[lane] = look.texStep;
        column_[lane] = int64_t(reinterpret_cast<intptr_t>(look.texColumn));
        pitchBytes_[lane] = look.texPitch * int64_t(sizeof(uint32_t));
        lastRow_[lane] = look.lastRow;
        fog_[lane] = int32_t(look.fogAlpha);
        ground_[lane] = float(groundFog);
        height_[lane] = float(wallHeight);
        return true;
    }

    // Draws the lanes taken into row pixels x0..x0+7 of `target`. With `full` (all eight columns
    // are this draw's), the rows from the highest wall top to the lowest wall bottom are written
    // whole, the lanes off their walls included.
    template <bool kGround>
    void draw(const PixelView& target, int x0, bool full, uint32_t fogColor, uint32_t groundFogColor) const {
        if (!used_) return;
        int32_t y0 = INT32_MAX, y1 = INT32_MIN;
        for (int k = 0; k < kLanes; k++) {
            y0 = std::min(y0, top_[k]);
            y1 = std::max(y1, bottom_[k]);
        }
        const __m256i zero = _mm256_setzero_si256();
        const __m256i top = load(top_), bottom = load(bottom_), lastRow = load(lastRow_);
        const __m256i columnLo = load(column_), columnHi = load(column_ + 4);
        const __m256i pitchLo = load(pitchBytes_), pitchHi = load(pitchBytes_ + 4);
        const __m256d stepLo = _mm256_load_pd(step_), stepHi = _mm256_load_pd(step_ + 4);
        __m256d texYLo = _mm256_load_pd(texY_), texYHi = _mm256_load_pd(texY_ + 4);
        const __m256 height = _mm256_load_ps(height_), ground = _mm256_load_ps(ground_);
        const __m256i fog = load(fog_), fogLo = amountLanes<false>(fog), fogHi = amountLanes<true>(fog);
        const __m256i fogColor16 = colorLanes(fogColor), groundColor16 = colorLanes(groundFogColor);
        const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000u)), amountMask = _mm256_set1_epi32(0xFF);
        uint32_t* out = target.pixels + ptrdiff_t(y0) * target.pitch + x0;
        // Texture rows are never negative: the first row reads its texels.
        __m256i lastTexRow = _mm256_set1_epi32(-1), lastAmount = _mm256_set1_epi32(-1), texels = zero, mixed = zero;
        for (int32_t y = y0; y < y1; y++, out += target.pitch) {
            const __m256i row = _mm256_set1_epi32(y);
            const __m256i started = _mm256_andnot_si256(_mm256_cmpgt_epi32(top, row), _mm256_set1_epi32(-1));
            const __m256i active = _mm256_and_si256(started, _mm256_cmpgt_epi32(bottom, row));
            // Rows are kept inside the texture on every lane, so that lanes off their wall read
            // harmlessly too.
            const __m256i texRow = _mm256_max_epi32(
                _mm256_min_epi32(_mm256_set_m128i(_mm256_cvttpd_epi32(texYHi), _mm256_cvttpd_epi32(texYLo)), lastRow),
                zero);
            // Near walls stretch each texel over many rows: the texels are read, and blended,
            // again only when a lane's texel or ground fog amount changes.
            const bool newTexels = _mm256_movemask_epi8(_mm256_cmpeq_epi32(texRow, lastTexRow)) != -1;
            if (newTexels) {
                lastTexRow = texRow;
                alignas(32) int64_t at[kLanes];
                _mm256_store_si256(reinterpret_cast<__m256i*>(at),
                                   _mm256_add_epi64(columnLo, _mm256_mul_epi32(
                                       _mm256_cvtepi32_epi64(_mm256_castsi256_si128(texRow)), pitchLo)));
                _mm256_store_si256(reinterpret_cast<__m256i*>(at + 4),
                                   _mm256_add_epi64(columnHi, _mm256_mul_epi32(
                                       _mm256_cvtepi32_epi64(_mm256_extracti128_si256(texRow, 1)), pitchHi)));
                auto texel = [&](int k) { return int(*reinterpret_cast<const uint32_t*>(intptr_t(at[k]))); };
                texels =
                    _mm256_setr_epi32(texel(0), texel(1), texel(2), texel(3), texel(4), texel(5), texel(6), texel(7));
            }
            bool newAmount = false;
            __m256i amount = zero;
            if (kGround) {
                // The amount grows with the square of the depth into the wall: (y - top) / height.
                const __m256 f = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_sub_epi32(row, top)), height);
                amount = _mm256_and_si256(_mm256_cvttps_epi32(_mm256_mul_ps(_mm256_mul_ps(f, f), ground)), amountMask);
                newAmount = _mm256_movemask_epi8(_mm256_cmpeq_epi32(amount, lastAmount)) != -1;
                lastAmount = amount;
            }
            if (newTexels || newAmount) {
                __m256i lo = _mm256_unpacklo_epi8(texels, zero), hi = _mm256_unpackhi_epi8(texels, zero);
                if (kGround) {
                    lo = blendLanes(lo, groundColor16, amountLanes<false>(amount));
                    hi = blendLanes(hi, groundColor16, amountLanes<true>(amount));
                }
                lo = blendLanes(lo, fogColor16, fogLo);
                hi = blendLanes(hi, fogColor16, fogHi);
                mixed = _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), texels, alphaMask);
            }
            // Masked stores are slow on some processors: a tile whose eight columns all belong to
            // this draw writes whole rows (the caller draws over the lanes off their walls).
            if (full)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), mixed);
            else
                _mm256_maskstore_epi32(reinterpret_cast<int*>(out), active, mixed);
            // Lanes advance from their first row on; adding zero leaves the others as they are.
            texYLo = _mm256_add_pd(texYLo, _mm256_and_pd(stepLo, _mm256_castsi256_pd(_mm256_cvtepi32_epi64(
                                                                      _mm256_castsi256_si128(started)))));
            texYHi = _mm256_add_pd(texYHi, _mm256_and_pd(stepHi, _mm256_castsi256_pd(_mm256_cvtepi32_epi64(
                                                                      _mm256_extracti128_si256(started, 1)))));
        }
    }

    static constexpr int kLanes = 8;

private:
    template <class T>
    static __m256i load(const T* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }

    // A colour's channels in the 16-bit lanes of two pixels per 128 bits, the alpha lane 0.
    static __m256i colorLanes(uint32_t c) {
        const short b = short(c & 0xFF), g = short(c >> 8 & 0xFF), r = short(c >> 16 & 0xFF);
        return _mm256_setr_epi16(b, g, r, 0, b, g, r, 0, b, g, r, 0, b, g, r, 0);
    }

    alignas(32) double texY_[kLanes], step_[kLanes];
    alignas(32) int64_t column_[kLanes], pitchBytes_[kLanes];  // the texture column's address; a row in bytes
    alignas(32) int32_t top_[kLanes], bottom_[kLanes], lastRow_[kLanes], fog_[kLanes];
    alignas(32) float ground_[kLanes], height_[kLanes];
    static constexpr uint32_t kIdleTexel = 0;
    unsigned used_ = 0;
};
#endif

// Columns are drawn in blocks of this many: walls column by column, then the block's floor and
// ceiling row by row, so that those writes share cache lines.
constexpr int kBlock = 64;

#if BV_PASSES_AVX2
// The overlay terms of BlendTerms in every 128-bit half.
inline __m256i termLanes(const WallFrame::BlendTerms& terms) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(terms.overlay)));
}

// A row's fog and ground fog terms in registers, loaded once per row: the pixel writes could
// otherwise alias them.
struct FogLanes {
    __m256i overlay, inverse, groundOverlay, groundInverse;

    explicit FogLanes(const RowFog& r)
        : overlay(termLanes(r.fogTerms)), inverse(_mm256_set1_epi16(short(r.fogTerms.inverse))),
          groundOverlay(termLanes(r.groundTerms)), groundInverse(_mm256_set1_epi16(short(r.groundTerms.inverse))) {}
};

// Eight texels fogged as fogAndStore does. The 256-bit unpacks and packs work within each 128-bit
// half, whose two pixels per 16-bit register match the lanes of the precomputed terms.
template <bool kGround>
[[gnu::always_inline]] inline __m256i fogEight(__m256i b, const FogLanes& f) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphaMask = _mm256_set1_epi32(int(0xFF000000u));
    __m256i lo = _mm256_unpacklo_epi8(b, zero), hi = _mm256_unpackhi_epi8(b, zero);
    if (kGround) {
        lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(lo, f.groundInverse), f.groundOverlay), 8);
        hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(hi, f.groundInverse), f.groundOverlay), 8);
    }
    lo = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(lo, f.inverse), f.overlay), 8);
    hi = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(hi, f.inverse), f.overlay), 8);
    return _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), b, alphaMask);
}
#endif

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
#if BV_PASSES_AVX2
    const FogLanes fog(r);
    for (; i + 8 <= n; i += 8) {
        const __m256i mixed = fogEight<kGround>(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(texels + i)), fog);
        if (slots[i + 7] - slots[i] == 7) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + slots[i]), mixed);
            continue;
        }
        alignas(32) uint32_t done8[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(done8), mixed);
        for (size_t k = 0; k < 8; k++) out[slots[i + k]] = done8[k];
    }
#endif
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
    static constexpr int kGroups = kBlock / 8;
    double minDirX, maxDirX, minDirY, maxDirY;
    int64_t minTop, maxBottom;
    bool finite;
    size_t count = 0;
    double dirX[kBlock], dirY[kBlock];  // every column's ray, for the wide loads
    // The same two rows for each group of eight columns.
    int64_t groupMinTop[kGroups], groupMaxBottom[kGroups];

    explicit BlockBounds(const Column& first)
        : minDirX(first.dir.x), maxDirX(first.dir.x), minDirY(first.dir.y), maxDirY(first.dir.y),
          minTop(first.top), maxBottom(first.bottom), finite(isFinite(first.dir)) {
        add(first);
    }

    static bool isFinite(const Vec2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

    void add(const Column& col) {
        const size_t group = count / 8;
        if (count % 8 == 0) {
            groupMinTop[group] = col.top;
            groupMaxBottom[group] = col.bottom;
        }
        groupMinTop[group] = std::min(groupMinTop[group], col.top);
        groupMaxBottom[group] = std::max(groupMaxBottom[group], col.bottom);
        dirX[count] = col.dir.x;
        dirY[count++] = col.dir.y;
        finite = finite && isFinite(col.dir);
        minDirX = std::min(minDirX, col.dir.x);
        maxDirX = std::max(maxDirX, col.dir.x);
        minDirY = std::min(minDirY, col.dir.y);
        maxDirY = std::max(maxDirY, col.dir.y);
        minTop = std::min(minTop, col.top);
        maxBottom = std::max(maxBottom, col.bottom);
    }

    // Whether floor (or ceiling) row y lies below (above) the walls of all columns of group g.
    template <bool kFloor>
    bool groupClear(size_t g, int y) const {
        return kFloor ? y >= groupMaxBottom[g] : y < groupMinTop[g];
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
    bool smallGrid;  // every cell byte's offset fits in 31 bits

    FlatPass(const PixelView& target, const LevelView& level, const FrameView& view, const FlatTexture* table,
             Background background)
        : pixels(target.pixels), pitch(target.pitch), cellBytes(reinterpret_cast<const uint8_t*>(level.grid.cells)),
          levelWidth(level.grid.width), width(level.grid.width), height(level.grid.height), posX(view.pos.x),
          posY(view.pos.y), fogColor(level.fogColor), groundFogColor(level.groundFogColor), textures(table),
          background(background),
          smallGrid(double(level.grid.width) * double(level.grid.height) * level::kCellBytes < 2147483647.0) {}

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
    void row(int y, const RowFog& r, const Column* cols, size_t n, const BlockBounds& block) const {
        uint32_t* out = pixels + ptrdiff_t(y) * pitch;
        uint32_t texels[kBlock + 3];
        int slots[kBlock];
        const bool everyColumn = kFloor ? y >= block.maxBottom : y < block.minTop;
        const size_t m = everyColumn && allInside(block, r.dist)
                             ? gather<kFloor, false>(y, r, cols, n, out, texels, slots, block)
                             : gather<kFloor, true>(y, r, cols, n, out, texels, slots, block);
        if (m == 0) return;
        std::fill_n(texels + m, 3, 0u);  // the lanes that a group of four reads past the last texel
        fogAndStore<kFloor>(texels, slots, m, out, r, fogColor, groundFogColor);
    }

    // Ceiling row `ceilingY` and floor row `floorY`, which lie as far above the horizon as below
    // it and so share their distance and fog `r`.
    void rowPair(int ceilingY, int floorY, const RowFog& r, const Column* cols, size_t n,
                 const BlockBounds& block) const {
#if BV_PASSES_AVX2
        if (smallGrid && !r.fogged && ceilingY < block.minTop && floorY >= block.maxBottom &&
            allInside(block, r.dist)) {
            // The floor and ceiling bytes are neighbours: one look at the cells finds both.
            static_assert(level::TEXTURE_CEILING == level::TEXTURE_FLOOR + 1);
            const int bytes = sharedBytes<level::TEXTURE_FLOOR, 2>(block, r.dist);
            const FlatTexture* floor = bytes < 0 ? nullptr : wideTexture(bytes & 0xFF);
            const FlatTexture* ceiling = floor ? wideTexture(bytes >> 8) : nullptr;
            if (ceiling && ceiling->width == floor->width && ceiling->height == floor->height &&
                ceiling->powerOfTwo == floor->powerOfTwo) {
                const RowLanes lanes{_mm256_set1_pd(r.dist), _mm256_set1_pd(posX), _mm256_set1_pd(posY)};
                uint32_t* ceilingOut = pixels + ptrdiff_t(ceilingY) * pitch + cols[0].x;
                uint32_t* floorOut = pixels + ptrdiff_t(floorY) * pitch + cols[0].x;
                const FogLanes fog(r);
                const size_t drawn =
                    floor->powerOfTwo
                        ? sharedTexturePair<true>(*ceiling, *floor, lanes, fog, block, n, ceilingOut, floorOut)
                        : sharedTexturePair<false>(*ceiling, *floor, lanes, fog, block, n, ceilingOut, floorOut);
                if (drawn < n) {
                    row<false>(ceilingY, r, cols + drawn, n - drawn, block);
                    row<true>(floorY, r, cols + drawn, n - drawn, block);
                }
                return;
            }
        }
#endif
        row<false>(ceilingY, r, cols, n, block);
        row<true>(floorY, r, cols, n, block);
    }

#if BV_PASSES_AVX2
    // A row's floor or ceiling points for eight neighbouring columns, posX + dist * dir as the
    // column loop computes them: columns i..i+3 in the first register of each pair.
    struct Points {
        __m256d x0, x1, y0, y1;
    };

    // The broadcast distance and position of one row.
    struct RowLanes {
        __m256d dist, x, y;

        [[gnu::always_inline]] Points at(const BlockBounds& block, size_t i) const {
            return {_mm256_add_pd(x, _mm256_mul_pd(dist, _mm256_loadu_pd(block.dirX + i))),
                    _mm256_add_pd(x, _mm256_mul_pd(dist, _mm256_loadu_pd(block.dirX + i + 4))),
                    _mm256_add_pd(y, _mm256_mul_pd(dist, _mm256_loadu_pd(block.dirY + i))),
                    _mm256_add_pd(y, _mm256_mul_pd(dist, _mm256_loadu_pd(block.dirY + i + 4)))};
        }
    };

    // Eight doubles truncated towards zero, in order.
    [[gnu::always_inline]] static __m256i truncated(__m256d lo, __m256d hi) {
        return _mm256_set_m128i(_mm256_cvttpd_epi32(hi), _mm256_cvttpd_epi32(lo));
    }

    // The texels at eight points of `tex`, whose offsets fit in 31 bits (texelOffset, eight at a
    // time).
    template <bool kPowerOfTwo>
    [[gnu::always_inline]] static __m256i texelsAt(const FlatTexture& tex, const Points& p) {
        return fetch(tex, texelCoords<kPowerOfTwo>(tex, p));
    }

    // The texel column and row at eight points of `tex` (texelOffset, eight at a time); they
    // depend only on the texture's width and height.
    struct TexelCoords {
        __m256i x, y;
    };
    template <bool kPowerOfTwo>
    [[gnu::always_inline]] static TexelCoords texelCoords(const FlatTexture& tex, const Points& p) {
        const __m256d w = _mm256_set1_pd(tex.width), h = _mm256_set1_pd(tex.height);
        __m256i tx, ty;
        if (kPowerOfTwo) {
            tx = _mm256_and_si256(truncated(_mm256_mul_pd(p.x0, w), _mm256_mul_pd(p.x1, w)),
                                  _mm256_set1_epi32(tex.lastX));
            ty = _mm256_and_si256(truncated(_mm256_mul_pd(p.y0, h), _mm256_mul_pd(p.y1, h)),
                                  _mm256_set1_epi32(tex.lastY));
        } else {
            const __m256i cx = truncated(p.x0, p.x1), cy = truncated(p.y0, p.y1);
            const __m256d cx0 = _mm256_cvtepi32_pd(_mm256_castsi256_si128(cx));
            const __m256d cx1 = _mm256_cvtepi32_pd(_mm256_extracti128_si256(cx, 1));
            const __m256d cy0 = _mm256_cvtepi32_pd(_mm256_castsi256_si128(cy));
            const __m256d cy1 = _mm256_cvtepi32_pd(_mm256_extracti128_si256(cy, 1));
            tx = truncated(_mm256_mul_pd(_mm256_sub_pd(p.x0, cx0), w), _mm256_mul_pd(_mm256_sub_pd(p.x1, cx1), w));
            ty = truncated(_mm256_mul_pd(_mm256_sub_pd(p.y0, cy0), h), _mm256_mul_pd(_mm256_sub_pd(p.y1, cy1), h));
            tx = _mm256_min_epi32(tx, _mm256_set1_epi32(tex.lastX));
            ty = _mm256_min_epi32(ty, _mm256_set1_epi32(tex.lastY));
        }
        return {tx, ty};
    }

    // The texels of `tex` at eight texel coordinates (offsets within 31 bits).
    [[gnu::always_inline]] static __m256i fetch(const FlatTexture& tex, const TexelCoords& c) {
        const __m256i offset = _mm256_add_epi32(_mm256_mullo_epi32(c.y, _mm256_set1_epi32(int(tex.pitch))), c.x);
        return _mm256_i32gather_epi32(reinterpret_cast<const int*>(tex.pixels), offset, 4);
    }

    // Whether the eight points lie inside the level (NaN does not).
    [[gnu::always_inline]] bool insideLevel(const Points& p) const {
        const __m256d zero = _mm256_setzero_pd(), w = _mm256_set1_pd(width), h = _mm256_set1_pd(height);
        auto in = [&](__m256d v, __m256d limit) {
            return _mm256_and_pd(_mm256_cmp_pd(v, zero, _CMP_GE_OQ), _mm256_cmp_pd(v, limit, _CMP_LT_OQ));
        };
        const __m256d all =
            _mm256_and_pd(_mm256_and_pd(in(p.x0, w), in(p.x1, w)), _mm256_and_pd(in(p.y0, h), in(p.y1, h)));
        return _mm256_movemask_pd(all) == 0xF;
    }

    // What every cell that row `dist` meets in `block` holds in its `kCount` bytes from byte
    // `kFirst` on (the first byte lowest), or -1 when the cells differ. Those cells lie in the box
    // between the points of the block's extreme directions (see allInside, which must hold); a box
    // of more than 16 cells is not searched.
    template <int kFirst, int kCount>
    int sharedBytes(const BlockBounds& block, double dist) const {
        static_assert(kCount == 1 || kCount == 2);
        // A negative distance (a negative wall height ratio) swaps the extremes.
        int x0 = int(posX + dist * block.minDirX), x1 = int(posX + dist * block.maxDirX);
        int y0 = int(posY + dist * block.minDirY), y1 = int(posY + dist * block.maxDirY);
        if (x0 > x1) std::swap(x0, x1);
        if (y0 > y1) std::swap(y0, y1);
        if ((x1 - x0 + 1) * (y1 - y0 + 1) > 16) return -1;
        auto read = [](const uint8_t* p) { return kCount == 1 ? unsigned(*p) : unsigned(p[0] | p[1] << 8); };
        const uint8_t* cells = cellBytes + (size_t(y0) * levelWidth + size_t(x0)) * level::kCellBytes + kFirst;
        const unsigned first = read(cells);
        for (int cy = y0; cy <= y1; cy++, cells += levelWidth * level::kCellBytes)
            for (int cx = 0; cx <= x1 - x0; cx++)
                if (read(cells + cx * level::kCellBytes) != first) return -1;
        return int(first);
    }

    // The floor or ceiling byte that every cell row `dist` meets in `block` shares, or -1.
    template <bool kFloor>
    int sharedByte(const BlockBounds& block, double dist) const {
        return sharedBytes<kFloor ? level::TEXTURE_FLOOR : level::TEXTURE_CEILING, 1>(block, dist);
    }

    // The texels at eight points when their cells share one texture whose offsets fit in 31
    // bits; false otherwise.
    template <bool kFloor>
    bool gatherEight(const Points& p, __m256i& texels) const {
        const int byte = kFloor ? level::TEXTURE_FLOOR : level::TEXTURE_CEILING;
        const __m256i rowStart = _mm256_mullo_epi32(truncated(p.y0, p.y1), _mm256_set1_epi32(int(levelWidth)));
        const __m256i cell = _mm256_add_epi32(truncated(p.x0, p.x1), rowStart);
        const __m256i at =
            _mm256_add_epi32(_mm256_mullo_epi32(cell, _mm256_set1_epi32(level::kCellBytes)), _mm256_set1_epi32(byte));
        // Four bytes from the floor or ceiling byte on stay inside the cell.
        const __m256i bytes = _mm256_and_si256(_mm256_i32gather_epi32(reinterpret_cast<const int*>(cellBytes), at, 1),
                                               _mm256_set1_epi32(0xFF));
        const int first = _mm256_cvtsi256_si32(bytes);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(bytes, _mm256_set1_epi32(first))) != -1) return false;
        if (first == level::kNoSurface) return false;
        const FlatTexture& tex = textures[first];
        if (!tex.pixels || !tex.smallOffsets) return false;
        texels = tex.powerOfTwo ? texelsAt<true>(tex, p) : texelsAt<false>(tex, p);
        return true;
    }

    // Columns 0..n-1 of a ceiling row and of the floor row at the same distance (`ceilingOut` and
    // `floorOut` at column 0), whose cells all show `ceiling` and `floor`, textures of one width
    // and height: the points and texel coordinates serve both rows. Returns the columns drawn.
    template <bool kPowerOfTwo>
    static size_t sharedTexturePair(const FlatTexture ceiling, const FlatTexture floor, const RowLanes lanes,
                                    const FogLanes fog, const BlockBounds& block, size_t n, uint32_t* ceilingOut,
                                    uint32_t* floorOut) {
        size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            const TexelCoords c = texelCoords<kPowerOfTwo>(floor, lanes.at(block, i));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(floorOut + i), fogEight<true>(fetch(floor, c), fog));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(ceilingOut + i), fogEight<false>(fetch(ceiling, c), fog));
        }
        return i;
    }

    // The texture of index byte `byte` when the wide passes can draw it: it has pixels, and
    // offsets that fit in 31 bits; null otherwise.
    const FlatTexture* wideTexture(int byte) const {
        if (byte < 0 || byte == level::kNoSurface) return nullptr;
        const FlatTexture& tex = textures[byte];
        return tex.pixels && tex.smallOffsets ? &tex : nullptr;
    }

    // Columns 0..n-1 of a block's row (`out` at column 0) whose cells all show `tex`, eight at a
    // time; returns the columns drawn.
    template <bool kFloor, bool kPowerOfTwo>
    static size_t sharedTextureRow(const FlatTexture tex, const RowLanes lanes, const FogLanes fog,
                                   const BlockBounds& block, size_t n, uint32_t* out) {
        size_t i = 0;
        for (; i + 8 <= n; i += 8)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                                fogEight<kFloor>(texelsAt<kPowerOfTwo>(tex, lanes.at(block, i)), fog));
        return i;
    }
#endif

    // Stores the row's texels and the columns they go to in texels and slots, and returns their
    // count; draws the other pixels of the row (on the AVX2 path, whole groups of eight too).
    // Without `kChecked`, the row is known to cross every column inside the level.
    template <bool kFloor, bool kChecked>
    size_t gather(int y, const RowFog& r, const Column* cols, size_t n, uint32_t* out, uint32_t* texels,
                  int* slots, [[maybe_unused]] const BlockBounds& block) const {
        const uint32_t* back = background.rows[y];
        size_t m = 0;
        // Neighbouring columns mostly meet the same cell: what its pixels show is worked out once.
        size_t lastCell = SIZE_MAX;
        CellLook look;
        auto one = [&](size_t i) {
            const Column& col = cols[i];
            if (kChecked && (kFloor ? y < col.bottom : y >= col.top)) return;
            double fx = posX + r.dist * col.dir.x, fy = posY + r.dist * col.dir.y;
            if (kChecked && !inside(fx, fy)) {
                // The floor row just under a wall's foot may lie past the wall (its height is
                // rounded) and so outside the level: it shows the floor at the foot.
                if (!kFloor || !col.walled || !inside(col.foot.x, col.foot.y)) {
                    out[col.x] = back[background.columns[col.x]];
                    return;
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
                return;
            }
            texels[m] = look.texture.pixels[texelOffset(look.texture, fx, fy, cx, cy)];
            slots[m++] = col.x;
        };
        size_t i = 0;
#if BV_PASSES_AVX2
        // Groups of eight neighbouring columns that meet one texture are fogged and stored here:
        // all of the row's groups when every cell it meets in the block has the same texture.
        // Rows not known to cross every column inside the level test each group.
        if (smallGrid && !r.fogged) {
            const RowLanes lanes{_mm256_set1_pd(r.dist), _mm256_set1_pd(posX), _mm256_set1_pd(posY)};
            const FogLanes fog(r);
            const int shared = kChecked ? -1 : sharedByte<kFloor>(block, r.dist);
            // A copy, which the pixel writes cannot alias.
            const FlatTexture tex = shared >= 0 ? textures[shared] : FlatTexture{};
            if (shared != level::kNoSurface && tex.pixels && tex.smallOffsets)
                i = tex.powerOfTwo ? sharedTextureRow<kFloor, true>(tex, lanes, fog, block, n, out + cols[0].x)
                                   : sharedTextureRow<kFloor, false>(tex, lanes, fog, block, n, out + cols[0].x);
            // Every cell shows the background: no surface, or no texture.
            else if (shared == level::kNoSurface || (shared >= 0 && !tex.pixels))
                for (; i + 8 <= n; i += 8) {
                    const __m256i columns =
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(background.columns + cols[i].x));
                    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + cols[i].x),
                                        _mm256_i32gather_epi32(reinterpret_cast<const int*>(back), columns, 4));
                }
            else
                for (; i + 8 <= n; i += 8) {
                    __m256i eight;
                    const Points p = lanes.at(block, i);
                    if ((!kChecked || (block.groupClear<kFloor>(i / 8, y) && insideLevel(p))) &&
                        gatherEight<kFloor>(p, eight))
                        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + cols[i].x), fogEight<kFloor>(eight, fog));
                    else
                        for (size_t k = i; k < i + 8; k++) one(k);
                }
        }
#endif
        for (; i < n; i++) one(i);
        return m;
    }
};

}  // namespace

void drawWallColumns(const WallFrame& frame, int x0, int x1, Hit* hits) {
    const PixelView& target = frame.target_;
    const LevelView& level = frame.level_;
    const FrameView& view = frame.view_;
    const int W = target.width, H = target.height;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, W);
    if (x0 >= x1 || (H > 0 && !target.pixels)) return;  // a target without rows still casts its rays
    const Background background{frame.skyRows_.data(), frame.skyColumns_.data()};
    const FlatPass flat(target, level, view, frame.textures_, background);
    const double wallScale = H / view.ratio;
    // Floor rows lie below the horizon and ceiling rows above it.
    const int64_t floorStart = std::clamp<int64_t>(view.baseline + 1, 0, H);
    const int64_t ceilingEnd = std::clamp<int64_t>(view.baseline, 0, H);
    Column block[kBlock];
    // What the second loop over a block's columns draws: the wall (unless a tile drew it) and the
    // two runs of background rows, [from, to) each.
    struct Plan {
        Column::WallLook look;
        int64_t wallHeight = 0, groundFog = 0;
        int64_t background[2][2] = {};
        bool tiled = false;
    } plans[kBlock];
#if BV_PASSES_AVX2
    static_assert(kBlock % WallTile::kLanes == 0);
    WallTile tiles[kBlock / WallTile::kLanes];
#endif
    for (int b0 = x0; b0 < x1; b0 += kBlock) {
        const int n = std::min(x1 - b0, kBlock);
        int64_t ceilingRows = 0, firstFloor = H;
        for (int i = 0; i < n; i++) {
            const int x = b0 + i;
            Hit& hit = hits[x];
            Vec2 dir = frame.dirs_[size_t(x)];
            castRay(level.grid, &view.pos, &dir, &hit);
            const double d = hit.length;
            if (d < 1e-8) hit.invalid = 1;
            hit.rayDir = dir;
            Column col{&target, &level, &background, x, dir, view.baseline, view.baseline + 1};
            Plan& plan = plans[i];
            plan = Plan{};
            int64_t wallStart = H, wallEnd = H;
            if (!hit.invalid) {
                const int64_t half = truncSat(wallScale / d + 0.5);
                const int64_t realTop = view.baseline - half;
                col.top = std::max<int64_t>(realTop, 0);
                col.bottom = std::min<int64_t>(H - 1, view.baseline + half);
                const int64_t groundFog =
                    level.groundFogDensity > 0 ? std::min<int64_t>(truncSat(level.groundFogDensity * d), 255) : 0;
                plan.look = col.wallLook(hit, realTop, 2 * half);
                plan.wallHeight = 2 * half;
                plan.groundFog = groundFog;
#if BV_PASSES_AVX2
                WallTile& tile = tiles[i / WallTile::kLanes];
                plan.tiled = tile.take(i % WallTile::kLanes, col, plan.look, 2 * half, groundFog);
#endif
                col.walled = true;
                col.foot = hit.pos;
                wallStart = col.top;
                wallEnd = col.bottom;
            }
            // The rows that neither the ceiling, the wall nor the floor draw show the background.
            const int64_t ceilingStop = std::clamp<int64_t>(col.top, 0, ceilingEnd);
            const int64_t floorFrom = std::clamp<int64_t>(col.bottom, floorStart, H);
            plan.background[0][0] = ceilingStop;
            plan.background[0][1] = std::min(floorFrom, wallStart);
            plan.background[1][0] = std::max(ceilingStop, wallEnd);
            plan.background[1][1] = floorFrom;
            ceilingRows = std::max(ceilingRows, ceilingStop);
            firstFloor = std::min(firstFloor, floorFrom);
            block[i] = col;
        }
        // The tiles come first: where all eight columns are this draw's, they write whole rows,
        // and what the lanes off their walls wrote there is drawn over below or by the floor and
        // ceiling pass (every other pixel of a column is written after them).
#if BV_PASSES_AVX2
        for (int t = 0; t * WallTile::kLanes < n; t++) {
            const bool full = n >= (t + 1) * WallTile::kLanes;
            if (level.groundFogDensity < 1)
                tiles[t].draw<false>(target, b0 + t * WallTile::kLanes, full, level.fogColor, level.groundFogColor);
            else
                tiles[t].draw<true>(target, b0 + t * WallTile::kLanes, full, level.fogColor, level.groundFogColor);
            tiles[t].clear();
        }
#endif
        for (int i = 0; i < n; i++) {
            const Plan& plan = plans[i];
            if (block[i].walled && !plan.tiled) block[i].wall(plan.look, plan.wallHeight, plan.groundFog);
            for (const auto& run : plan.background) block[i].fillBackground(run[0], run[1]);
        }
        // The flashlight adds to the finished walls.
        if (frame.flashlight_)
            for (int i = 0; i < n; i++)
                if (block[i].walled) block[i].flashlight(*frame.flashlight_, hits[block[i].x].length);
        BlockBounds bounds(block[0]);
        for (int i = 1; i < n; i++) bounds.add(block[i]);
        // Each ceiling row with a floor row as far below the horizon is drawn with it.
        const int64_t mirror = 2 * view.baseline;
        for (int64_t y = 0; y < ceilingRows; y++) {
            if (mirror - y >= firstFloor && mirror - y < H)
                flat.rowPair(int(y), int(mirror - y), frame.rows_[size_t(y)], block, size_t(n), bounds);
            else
                flat.row<false>(int(y), frame.rows_[size_t(y)], block, size_t(n), bounds);
        }
        for (int64_t y = firstFloor; y < H; y++)
            if (mirror - y < 0 || mirror - y >= ceilingRows)
                flat.row<true>(int(y), frame.rows_[size_t(y)], block, size_t(n), bounds);
    }
}

}  // namespace bv::BV_PASSES_NAMESPACE
