// The wall, floor and ceiling passes for any x86-64 processor.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "render/blend.core.hpp"
#include "render/raycasting.core.hpp"
#include "render/truncate.core.hpp"

#define BV_PASSES_NAMESPACE plain
#define BV_PASSES_AVX2 0
#include "render/wall_passes.core.inl"
