// The billboard drawing pass, compiled once per pixel path like the wall passes: the including file
// defines BV_PASSES_NAMESPACE (the namespace under bv that receives drawSpriteColumns) and
// BV_PASSES_AVX2 (1 when the functions are compiled for AVX2). Both draw the same pixels.
//
// A billboard is drawn row by row over blocks of columns: every row of a block reads one sheet
// row at the columns' texture offsets and has one ground fog amount, so a row is shaded once and
// reused while the sheet row and the amount stay the same, then blended into the target's row
// wherever the billboard is nearer than the column's wall.

namespace bv::BV_PASSES_NAMESPACE {

namespace {

constexpr int kBlock = 64;  // columns per block: the per-block arrays stay on the stack

#if BV_PASSES_AVX2
// Each 16-bit channel: (over * a + base * (255 - a)) >> 8, as alphaBlend computes it per channel.
inline __m256i mix16(__m256i base, __m256i over, __m256i a) {
    const __m256i ia = _mm256_sub_epi16(_mm256_set1_epi16(255), a);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(over, a), _mm256_mullo_epi16(base, ia)), 8);
}

// alphaBlend of eight pixels with one alpha per pixel, replicated over its four 16-bit channels.
inline __m256i alphaBlend8(__m256i base, __m256i over, __m256i alphaLo, __m256i alphaHi) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = mix16(_mm256_unpacklo_epi8(base, zero), _mm256_unpacklo_epi8(over, zero), alphaLo);
    const __m256i hi = mix16(_mm256_unpackhi_epi8(base, zero), _mm256_unpackhi_epi8(over, zero), alphaHi);
    const __m256i alphaByte = _mm256_set1_epi32(int(0xFF000000u));
    return _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), base, alphaByte);
}

// Each pixel's own alpha byte in all four 16-bit channels of its unpacked half.
inline void ownAlpha8(__m256i px, __m256i& lo, __m256i& hi) {
    const __m256i spreadLo = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1,  //
                                              3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m256i spreadHi = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1,  //
                                              11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    lo = _mm256_shuffle_epi8(px, spreadLo);
    hi = _mm256_shuffle_epi8(px, spreadHi);
}

// additiveBlend of eight pixels: each channel min(255, d + (s * alpha(s) >> 8)), dst's alpha kept.
inline __m256i additiveBlend8(__m256i dst, __m256i src) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i aLo, aHi;
    ownAlpha8(src, aLo, aHi);
    const __m256i lo = _mm256_add_epi16(_mm256_unpacklo_epi8(dst, zero),
                                        _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(src, zero), aLo), 8));
    const __m256i hi = _mm256_add_epi16(_mm256_unpackhi_epi8(dst, zero),
                                        _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(src, zero), aHi), 8));
    return _mm256_blendv_epi8(_mm256_packus_epi16(lo, hi), dst, _mm256_set1_epi32(int(0xFF000000u)));
}
#endif

// One row of `count` shaded texels blended into `out` where `visible` is set.
void blendRow(uint32_t* out, const uint32_t* shaded, const uint8_t* visible, int count, BlendMode mode) {
    int j = 0;
#if BV_PASSES_AVX2
    for (; j + 8 <= count; j += 8) {
        const __m128i seen8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(visible + j));
        const __m256i seen = _mm256_cmpgt_epi32(_mm256_cvtepu8_epi32(seen8), _mm256_setzero_si256());
        if (_mm256_testz_si256(seen, seen)) continue;
        const __m256i dst = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + j));
        const __m256i src = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(shaded + j));
        __m256i drawn;
        if (mode == BLEND_ADD) {
            drawn = additiveBlend8(dst, src);
        } else {
            __m256i aLo, aHi;
            ownAlpha8(src, aLo, aHi);
            drawn = alphaBlend8(dst, src, aLo, aHi);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_blendv_epi8(dst, drawn, seen));
    }
#endif
    for (; j < count; j++)
        if (visible[j]) out[j] = blendPixel(mode, out[j], shaded[j]);
}

// The texels of one sheet row at the block's texture offsets, ground-fogged by `amount` and
// fogged by `fogAlpha` unless the billboard is shadeless.
void shadeRow(uint32_t* shaded, const uint32_t* sheetRow, const int32_t* texCol, int count, bool shadeless,
              uint32_t amount, uint32_t groundFogColor, uint32_t fogColor, uint32_t fogAlpha) {
    int j = 0;
#if BV_PASSES_AVX2
    const __m256i ground = _mm256_set1_epi32(int(groundFogColor)), fog = _mm256_set1_epi32(int(fogColor));
    const __m256i amount16 = _mm256_set1_epi16(int16_t(amount & 0xFF)), fog16 = _mm256_set1_epi16(int16_t(fogAlpha & 0xFF));
    for (; j + 8 <= count; j += 8) {
        const int32_t* c = texCol + j;
        __m256i px = _mm256_setr_epi32(int(sheetRow[c[0]]), int(sheetRow[c[1]]), int(sheetRow[c[2]]),
                                       int(sheetRow[c[3]]), int(sheetRow[c[4]]), int(sheetRow[c[5]]),
                                       int(sheetRow[c[6]]), int(sheetRow[c[7]]));
        if (!shadeless) px = alphaBlend8(alphaBlend8(px, ground, amount16, amount16), fog, fog16, fog16);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(shaded + j), px);
    }
#endif
    uint32_t lastTexel = 0, last = 0;
    bool fresh = false;
    for (; j < count; j++) {
        const uint32_t px = sheetRow[texCol[j]];
        if (shadeless) {
            shaded[j] = px;
            continue;
        }
        if (!fresh || px != lastTexel) {
            lastTexel = px;
            last = alphaBlend(alphaBlend(px, groundFogColor, amount), fogColor, fogAlpha);
            fresh = true;
        }
        shaded[j] = last;
    }
}

}  // namespace

void drawSpriteColumns(const PixelView& target, const SpriteDraw& s, const SpriteProjection& p, const Hit* hits,
                       uint32_t fogColor, uint32_t groundFogColor, int x0, int x1) {
    const int64_t xend = std::min<int64_t>(p.xend, x1);
    if (p.xmin >= xend) return;
    // The texture column advances by repeated steps from the billboard's left edge, as when the
    // whole billboard is drawn at once.
    double texPosX = p.texPosX;
    int64_t x = p.xmin;
    for (; x < x0 && x < xend; x++) texPosX += p.texStepX;
    const uint32_t fogAlpha = uint32_t(std::min<int64_t>(s.fogAlpha, 255));
    const int lastX = s.frame.w - 1;
    const size_t rows = size_t(p.ymax - p.ymin);
    int32_t texCol[kBlock];
    uint8_t visible[kBlock];
    alignas(32) uint32_t shaded[kBlock];
    while (x < xend) {
        const int count = int(std::min<int64_t>(kBlock, xend - x));
        bool any = false;
        for (int j = 0; j < count; j++, texPosX += p.texStepX) {
            texCol[j] = s.frame.x + int(std::clamp<int64_t>(truncSat(texPosX), 0, lastX));
            visible[j] = hits[x + j].length > s.depth;
            any |= visible[j] != 0;
        }
        if (any) {
            uint32_t* out = &target.at(int(x), int(p.ymin));
            int shadedRow = -1;
            uint32_t shadedAmount = 0;
            for (size_t k = 0; k < rows; k++, out += target.pitch) {
                const uint32_t amount = s.shadeless ? 0 : p.groundFog[k];
                if (p.sheetRows[k] != shadedRow || amount != shadedAmount) {
                    shadedRow = p.sheetRows[k];
                    shadedAmount = amount;
                    shadeRow(shaded, s.sheet.pixels + ptrdiff_t(shadedRow) * s.sheet.pitch, texCol, count, s.shadeless,
                             amount, groundFogColor, fogColor, fogAlpha);
                }
                blendRow(out, shaded, visible, count, s.blendMode);
            }
        }
        x += count;
    }
}

}  // namespace bv::BV_PASSES_NAMESPACE
