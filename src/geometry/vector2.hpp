// Vector2: the engine's 2D vector of doubles, shared with the subsystems that create vectors.
#pragma once
#include "common/py.hpp"

namespace bv {

struct Vector2Object {
    PyObject_HEAD
    double x, y;
};

extern PyTypeObject* Vector2Type;

inline bool isVector2(PyObject* o) { return Py_IS_TYPE(o, Vector2Type) || PyObject_TypeCheck(o, Vector2Type); }

// A new Vector2 (exact type), or null with an exception set.
PyObject* newVector2(double x, double y);

}  // namespace bv
