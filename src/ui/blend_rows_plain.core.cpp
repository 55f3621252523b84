// The UI's row blends for any x86-64 processor.
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "ui/blend.core.hpp"

#define BV_PASSES_NAMESPACE plain
#define BV_PASSES_AVX2 0
#include "ui/blend_rows.core.inl"
