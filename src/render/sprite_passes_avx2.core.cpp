// The billboard pass compiled for AVX2, for the processors that have it. As for the wall passes,
// only the functions defined after the target switch use AVX2; the shared headers above it stay
// compiled for any x86-64 processor.
#include <algorithm>
#include <cstdint>
#include <immintrin.h>

#include "render/blend.core.hpp"
#include "render/sprite_render.core.hpp"
#include "render/truncate.core.hpp"

#include "render/avx2_target_begin.core.inl"

#define BV_PASSES_NAMESPACE avx2
#include "render/sprite_passes.core.inl"

#include "render/avx2_target_end.core.inl"
