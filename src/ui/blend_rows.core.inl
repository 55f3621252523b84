// The row blends of blend.core.hpp, compiled once per instruction set: the including file defines
// BV_PASSES_NAMESPACE (the namespace under bv::ui that receives them) and BV_PASSES_AVX2 (1 when
// compiled for AVX2). The wide loop computes exactly blendOverPlain, eight pixels at a time.
// No include guard: each instruction set's file includes this once.

namespace bv::ui::BV_PASSES_NAMESPACE {

void blendRowOverPlain(uint32_t* dst, const uint32_t* src, int64_t n) {
    int64_t i = 0;
#if BV_PASSES_AVX2
    const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u)), lanes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i lowByte = _mm256_set1_epi32(0xFF), alphaAs255 = _mm256_set1_epi32(0x00FF0000);
    const __m256i all255 = _mm256_set1_epi16(255), zero = _mm256_setzero_si256();
    for (; i + 8 <= n; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i a = _mm256_and_si256(s, alpha);
        if (_mm256_testz_si256(a, a)) continue;  // all eight transparent: the row keeps its pixels
        const __m256i opaque = _mm256_cmpeq_epi32(a, alpha);
        if (_mm256_movemask_epi8(opaque) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
            continue;
        }
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        // The source alpha in both 16-bit halves of each pixel, and what is kept of the pixel below.
        const __m256i a8 = _mm256_srli_epi32(s, 24);
        const __m256i a16 = _mm256_or_si256(a8, _mm256_slli_epi32(a8, 16));
        const __m256i keep = _mm256_sub_epi16(all255, a16);
        const __m256i srcRB = _mm256_and_si256(s, lanes);
        const __m256i srcGA = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(s, 8), lowByte), alphaAs255);
        const __m256i dstRB = _mm256_and_si256(d, lanes);
        const __m256i dstGA = _mm256_and_si256(_mm256_srli_epi32(d, 8), lanes);
        const __m256i rb = _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(srcRB, a16), 8),
                                            _mm256_srli_epi16(_mm256_mullo_epi16(dstRB, keep), 8));
        const __m256i ga = _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(srcGA, a16), 8),
                                            _mm256_srli_epi16(_mm256_mullo_epi16(dstGA, keep), 8));
        __m256i out = _mm256_or_si256(rb, _mm256_slli_epi32(ga, 8));
        out = _mm256_blendv_epi8(out, s, opaque);
        out = _mm256_blendv_epi8(out, d, _mm256_cmpeq_epi32(a, zero));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), out);
    }
#endif
    for (; i < n; ++i) dst[i] = blendOverPlain(dst[i], src[i]);
}

#if BV_PASSES_AVX2
// x / 255 in each 16-bit lane, exactly, for x <= 255 * 255.
inline __m256i divideBy255(__m256i x) {
    const __m256i one = _mm256_set1_epi16(1);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(x, one), _mm256_srli_epi16(x, 8)), 8);
}
#endif

void blendRowOver(uint32_t* dst, const uint32_t* src, int64_t n, uint32_t alphaMod) {
    int64_t i = 0;
#if BV_PASSES_AVX2
    const __m256i lanes = _mm256_set1_epi32(0x00FF00FF), lowByte = _mm256_set1_epi32(0xFF);
    const __m256i alphaAs255 = _mm256_set1_epi32(0x00FF0000), all255 = _mm256_set1_epi16(255);
    const __m256i modulation = _mm256_set1_epi32(int(alphaMod));
    for (; i + 8 <= n; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        __m256i a = _mm256_srli_epi32(s, 24);
        if (alphaMod != 255) a = divideBy255(_mm256_mullo_epi16(a, modulation));  // a * alphaMod fits 16 bits
        const __m256i a16 = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
        const __m256i keep = _mm256_sub_epi16(all255, a16);
        const __m256i srcRB = _mm256_and_si256(s, lanes);
        const __m256i srcGA = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(s, 8), lowByte), alphaAs255);
        const __m256i dstRB = _mm256_and_si256(d, lanes);
        const __m256i dstGA = _mm256_and_si256(_mm256_srli_epi32(d, 8), lanes);
        const __m256i rb = _mm256_add_epi16(divideBy255(_mm256_mullo_epi16(srcRB, a16)),
                                            divideBy255(_mm256_mullo_epi16(dstRB, keep)));
        const __m256i ga = _mm256_add_epi16(divideBy255(_mm256_mullo_epi16(srcGA, a16)),
                                            divideBy255(_mm256_mullo_epi16(dstGA, keep)));
        // Divided by 255, an opaque source gives itself and a transparent one the pixel below.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(rb, _mm256_slli_epi32(ga, 8)));
    }
#endif
    for (; i < n; ++i) dst[i] = blendOver(dst[i], src[i], alphaMod);
}

}  // namespace bv::ui::BV_PASSES_NAMESPACE
