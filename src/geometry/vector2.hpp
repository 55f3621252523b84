// Vector2: the engine's 2D vector of doubles, shared with the subsystems that create vectors.
#pragma once
#include "common/py.hpp"

#include <cstddef>

namespace bv {

// One coordinate of a Vector2: a double for native code, mirrored by an exact float object that
// Python's `v.x` reads as a plain slot load (a member descriptor, which the interpreter specialises).
// Every write goes through the assignments below, which keep the two equal: native code reads and
// writes it like a double and cannot forget the float. A float that only the coordinate holds is
// updated in place rather than replaced.
class Vector2Coord {
public:
    Vector2Coord() = default;
    Vector2Coord(const Vector2Coord&) = delete;  // lives only inside a Vector2Object

    operator double() const { return value_; }

    Vector2Coord& operator=(double d) {
        if (soleHolder()) {
            reinterpret_cast<PyFloatObject*>(box_)->ob_fval = d;
        } else {
            PyObject* f = PyFloat_FromDouble(d);
            if (!f) throwPy();
            Py_SETREF(box_, f);
        }
        value_ = d;
        return *this;
    }
    // Takes the other coordinate's value (and its float, unless this one's own can be written).
    Vector2Coord& operator=(const Vector2Coord& o) {
        take(o.box_);
        return *this;
    }
    Vector2Coord& operator+=(double d) { return *this = value_ + d; }
    Vector2Coord& operator-=(double d) { return *this = value_ - d; }
    Vector2Coord& operator*=(double d) { return *this = value_ * d; }
    Vector2Coord& operator/=(double d) { return *this = value_ / d; }

    // The value of `f`, an exact float: written into the coordinate's own float when nothing else
    // holds it (the float stays where it is in memory), else held as `f` itself.
    void take(PyObject* f) {
        if (soleHolder()) {
            value_ = reinterpret_cast<PyFloatObject*>(box_)->ob_fval = PyFloat_AS_DOUBLE(f);
        } else {
            Py_SETREF(box_, Py_NewRef(f));
            value_ = PyFloat_AS_DOUBLE(f);
        }
    }
    // The first value of a fresh coordinate (its memory zeroed or uninitialised): takes over `f`,
    // an exact float reference.
    void start(PyObject* f) {
        box_ = f;
        value_ = PyFloat_AS_DOUBLE(f);
    }
    void release() { Py_CLEAR(box_); }
    // True when the float is held by this coordinate alone.
    bool soleHolder() const { return box_ && Py_REFCNT(box_) == 1; }

    // Where the float sits, for the member descriptor.
    static constexpr Py_ssize_t floatOffset() { return offsetof(Vector2Coord, box_); }

private:
    double value_;
    PyObject* box_;  // exact float equal to value_ (null only while a new vector is being made)
};

struct Vector2Object {
    PyObject_HEAD
    Vector2Coord x, y;

    void destroy() {
        x.release();
        y.release();
    }
};

extern PyTypeObject* Vector2Type;

inline bool isVector2(PyObject* o) { return Py_IS_TYPE(o, Vector2Type) || PyObject_TypeCheck(o, Vector2Type); }

// A new Vector2 (exact type), or null with an exception set.
PyObject* newVector2(double x, double y);

}  // namespace bv
