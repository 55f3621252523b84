// The int arguments of the input queries and of Joystick.
#pragma once
#include "common/py.hpp"

namespace bv {

// A 32-bit int from any integer-like object: TypeError "an integer is required" for anything
// else, OverflowError outside 32 bits.
inline int32_t inputInt(PyObject* o) {
    if (!PyIndex_Check(o)) {
        PyErr_SetString(PyExc_TypeError, "an integer is required");
        throwPy();
    }
    return toInt32(o);
}

}  // namespace bv
