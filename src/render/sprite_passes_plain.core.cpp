// The billboard pass compiled for any x86-64 processor.
#include <algorithm>
#include <cstdint>

#include "render/blend.core.hpp"
#include "render/sprite_render.core.hpp"
#include "render/truncate.core.hpp"

#define BV_PASSES_AVX2 0
#define BV_PASSES_NAMESPACE plain
#include "render/sprite_passes.core.inl"
