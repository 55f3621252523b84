// Conversion of Python values to the blending modes of the renderers.
#pragma once
#include "common/py.hpp"
#include "render/blend.core.hpp"

namespace bv {

// BLENDMODE_BLEND (0) or BLENDMODE_ADD (1). OverflowError for a negative or too large value,
// ValueError for any other value, TypeError for a non-integer.
BlendMode toBlendMode(PyObject* value);

}  // namespace bv
