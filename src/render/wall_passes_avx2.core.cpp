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

#include "render/avx2_target_begin.core.inl"

#define BV_PASSES_NAMESPACE avx2
#include "render/wall_passes.core.inl"

#include "render/avx2_target_end.core.inl"
