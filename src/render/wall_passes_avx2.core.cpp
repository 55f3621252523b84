// The wall, floor and ceiling passes compiled for AVX2, for the processors that have it. Only
// the functions defined after the target switch use AVX2: the headers above it, whose inline
// functions and templates other files share, stay compiled for any x86-64 processor. FMA stays
// off, so that products and sums round as on the plain path.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>
#include <immintrin.h>

#include "render/blend.core.hpp"
#include "render/raycasting.core.hpp"
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
#include "render/wall_passes.core.inl"

#if BV_PASSES_AVX2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
