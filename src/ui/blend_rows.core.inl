// The row blends of blend.core.hpp, compiled once per instruction set: the including file defines
// BV_PASSES_NAMESPACE (the namespace under bv::ui that receives them) and BV_PASSES_AVX2 (1 when
// compiled for AVX2). Whole steps of pixels go through vector registers (eight on AVX2, four on
// SSE2, which every x86-64 processor has), the rest one by one; both compute exactly the per-pixel
// blends. No include guard: each instruction set's file includes this once.

namespace bv::ui::BV_PASSES_NAMESPACE {

namespace {

#if BV_PASSES_AVX2
#define BV_ROW_STEPS 1
// The operations the blends need, on eight pixels.
struct Lanes {
    using V = __m256i;
    static constexpr int kPixels = 8;
    static V load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
    static void store(uint32_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }
    static V set32(uint32_t x) { return _mm256_set1_epi32(int(x)); }
    static V set16(uint16_t x) { return _mm256_set1_epi16(short(x)); }
    static V both(V a, V b) { return _mm256_and_si256(a, b); }
    static V either(V a, V b) { return _mm256_or_si256(a, b); }
    template <int N>
    static V right32(V a) { return _mm256_srli_epi32(a, N); }
    template <int N>
    static V left32(V a) { return _mm256_slli_epi32(a, N); }
    template <int N>
    static V right16(V a) { return _mm256_srli_epi16(a, N); }
    static V add16(V a, V b) { return _mm256_add_epi16(a, b); }
    static V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V mul16(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V equal32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
    static bool allZero(V a) { return _mm256_testz_si256(a, a); }
    static bool allSet(V mask) { return _mm256_movemask_epi8(mask) == -1; }
    static V select(V mask, V a, V b) { return _mm256_blendv_epi8(b, a, mask); }
};
#elif defined(__SSE2__)
#define BV_ROW_STEPS 1
// The operations the blends need, on four pixels.
struct Lanes {
    using V = __m128i;
    static constexpr int kPixels = 4;
    static V load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    static void store(uint32_t* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
    static V set32(uint32_t x) { return _mm_set1_epi32(int(x)); }
    static V set16(uint16_t x) { return _mm_set1_epi16(short(x)); }
    static V both(V a, V b) { return _mm_and_si128(a, b); }
    static V either(V a, V b) { return _mm_or_si128(a, b); }
    template <int N>
    static V right32(V a) { return _mm_srli_epi32(a, N); }
    template <int N>
    static V left32(V a) { return _mm_slli_epi32(a, N); }
    template <int N>
    static V right16(V a) { return _mm_srli_epi16(a, N); }
    static V add16(V a, V b) { return _mm_add_epi16(a, b); }
    static V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
    static V mul16(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V equal32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
    static bool allZero(V a) { return _mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) == 0xFFFF; }
    static bool allSet(V mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
    static V select(V mask, V a, V b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
};
#else
#define BV_ROW_STEPS 0
#endif

#if BV_ROW_STEPS
using V = Lanes::V;

// The source alpha of each pixel (0..255) in both 16-bit halves of its lane.
inline V alphaPairs(V a) { return Lanes::either(a, Lanes::left32<16>(a)); }

// A product of two bytes in each 16-bit lane, shifted down by 8 (SDL's plain blit).
inline V shiftBy8(V x) { return Lanes::right16<8>(x); }

// x / 255 in each 16-bit lane, exactly, for x <= 255 * 255 (SDL's scaled and modulated blits).
inline V divideBy255(V x) {
    return Lanes::right16<8>(Lanes::add16(Lanes::add16(x, Lanes::set16(1)), Lanes::right16<8>(x)));
}

// Source over destination for red with blue and green with alpha, each channel in a 16-bit lane:
// `scale` turns a product of two bytes into the blended byte. The source's alpha channel takes 255
// in place of its value, so it contributes a itself.
template <V (*scale)(V)>
V blendChannels(V s, V d, V a16) {
    const V lanes = Lanes::set32(0x00FF00FF), keep = Lanes::sub16(Lanes::set16(255), a16);
    const V srcRB = Lanes::both(s, lanes);
    const V srcGA = Lanes::either(Lanes::both(Lanes::right32<8>(s), Lanes::set32(0xFF)), Lanes::set32(0x00FF0000));
    const V dstRB = Lanes::both(d, lanes), dstGA = Lanes::both(Lanes::right32<8>(d), lanes);
    const V rb = Lanes::add16(scale(Lanes::mul16(srcRB, a16)), scale(Lanes::mul16(dstRB, keep)));
    const V ga = Lanes::add16(scale(Lanes::mul16(srcGA, a16)), scale(Lanes::mul16(dstGA, keep)));
    return Lanes::either(rb, Lanes::left32<8>(ga));
}
#endif

}  // namespace

void blendRowOverPlain(uint32_t* dst, const uint32_t* src, int64_t n) {
    int64_t i = 0;
#if BV_ROW_STEPS
    const V alpha = Lanes::set32(0xFF000000u), zero = Lanes::set32(0);
    for (; i + Lanes::kPixels <= n; i += Lanes::kPixels) {
        const V s = Lanes::load(src + i), a = Lanes::both(s, alpha);
        if (Lanes::allZero(a)) continue;  // all transparent: the row keeps its pixels
        const V opaque = Lanes::equal32(a, alpha);
        if (Lanes::allSet(opaque)) {
            Lanes::store(dst + i, s);
            continue;
        }
        const V d = Lanes::load(dst + i);
        V out = blendChannels<shiftBy8>(s, d, alphaPairs(Lanes::right32<24>(s)));
        // In shifts by 8 the extremes come out otherwise: opaque gives the source, transparent the pixel.
        out = Lanes::select(opaque, s, out);
        Lanes::store(dst + i, Lanes::select(Lanes::equal32(a, zero), d, out));
    }
#endif
    for (; i < n; ++i) dst[i] = blendOverPlain(dst[i], src[i]);
}

void blendRowOver(uint32_t* dst, const uint32_t* src, int64_t n, uint32_t alphaMod) {
    int64_t i = 0;
#if BV_ROW_STEPS
    const V modulation = Lanes::set32(alphaMod);
    for (; i + Lanes::kPixels <= n; i += Lanes::kPixels) {
        const V s = Lanes::load(src + i), d = Lanes::load(dst + i);
        V a = Lanes::right32<24>(s);
        if (alphaMod != 255) a = divideBy255(Lanes::mul16(a, modulation));  // a * alphaMod fits 16 bits
        // Divided by 255, an opaque source gives itself and a transparent one the pixel below.
        Lanes::store(dst + i, blendChannels<divideBy255>(s, d, alphaPairs(a)));
    }
#endif
    for (; i < n; ++i) dst[i] = blendOver(dst[i], src[i], alphaMod);
}

#undef BV_ROW_STEPS

}  // namespace bv::ui::BV_PASSES_NAMESPACE
