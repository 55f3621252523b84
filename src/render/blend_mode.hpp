// Conversion of Python values to the blending modes of the renderers.
#pragma once
#include "common/py.hpp"
#include "render/blend.core.hpp"

namespace bv {

// Any unsigned 32-bit int: BLENDMODE_ADD (1) blends additively, every other value with alpha
// blending. OverflowError for a negative or too large value, TypeError for a non-integer.
BlendMode toBlendMode(PyObject* value);

}  // namespace bv
