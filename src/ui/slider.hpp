// What the scroll panel uses of its scroll bar, a UISlider.
#pragma once
#include "common/py.hpp"

namespace bv::ui {

// Stores the value clamped to the slider's range and announces a change through the engine.
void setSliderValue(PyObject* slider, int64_t value);

}  // namespace bv::ui
