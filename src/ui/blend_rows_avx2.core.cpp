// The UI's row blends compiled for AVX2, for the processors that have it. Only the functions
// defined after the target switch use AVX2; the headers above it stay compiled for any x86-64.
#include <cstdint>
#include <immintrin.h>

#include "ui/blend.core.hpp"

#include "render/avx2_target_begin.core.inl"

#define BV_PASSES_NAMESPACE avx2
#include "ui/blend_rows.core.inl"

#include "render/avx2_target_end.core.inl"
