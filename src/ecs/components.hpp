// The standard data components. Vectors are Vector2 objects or None; native readers use readVector.
#pragma once
#include "geometry/vector2.hpp"

#include <string>

namespace bv {

// toDouble of a record's entry when a component loads from its level-file form; a value it
// refuses keeps its error type and names the key and value ("x = 'fast': must be real number...").
double recordNumber(PyObject* value, const char* key);

struct PositionComponentObject {
    PyObject_HEAD
    PyObject* pos;  // Vector2 or None

    void construct() { pos = Py_NewRef(Py_None); }
    void refs(auto&& f) { f(pos); }
};

struct VelocityComponentObject {
    PyObject_HEAD
    PyObject* velocity;  // Vector2 or None
    PyObject* impulse;   // Vector2 or None: one-shot displacement
    double friction;

    void construct() {
        velocity = Py_NewRef(Py_None);
        impulse = Py_NewRef(Py_None);
        friction = 2.0;
    }
    void refs(auto&& f) {
        f(velocity);
        f(impulse);
    }
};

struct RotationComponentObject {
    PyObject_HEAD
    PyObject* dir;  // Vector2 or None

    void construct() { dir = Py_NewRef(Py_None); }
    void refs(auto&& f) { f(dir); }
};

struct CollisionComponentObject {
    PyObject_HEAD
    double radius;
    bool isOnlyTrigger;
    PyObject* hasFlags;     // list or None
    PyObject* ignoreFlags;  // list or None

    void construct() { radius = 0.25; }
    void refs(auto&& f) {
        f(hasFlags);
        f(ignoreFlags);
    }
};

extern PyTypeObject* PositionComponentType;
extern PyTypeObject* VelocityComponentType;
extern PyTypeObject* RotationComponentType;
extern PyTypeObject* CollisionComponentType;

// The vector held in a component field, or null when the field holds None (or no Vector2).
inline Vector2Object* readVector(PyObject* field) {
    return field && isVector2(field) ? reinterpret_cast<Vector2Object*>(field) : nullptr;
}

}  // namespace bv
