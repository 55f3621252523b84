// The billboard pass compiled for AVX2, for the processors that have it. As for the wall passes,
// only the functions defined after the target switch use AVX2; the shared headers above it stay
// compiled for any x86-64 processor.
#include <algorithm>
#include <cstdint>
#include <immintrin.h>

#include "render/blend.core.hpp"
#include "render/sprite_render.core.hpp"
#include "render/truncate.core.hpp"

#if defined(__x86_64__) || defined(__i386__)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#define BV_PASSES_AVX2 1
#else
#define BV_PASSES_AVX2 0
#endif

#define BV_PASSES_NAMESPACE avx2
#include "render/sprite_passes.core.inl"

#if BV_PASSES_AVX2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
