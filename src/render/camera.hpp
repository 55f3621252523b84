// Camera: the eye of the raycasting renderer.
#pragma once
#include "common/py.hpp"

namespace bv {

struct CameraObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* pos;  // Vector2, eye position in cells
    PyObject* dir;  // Vector2, viewing direction
    int32_t fov;    // degrees
    int32_t pitch;  // horizon offset in pixels, positive moves it down
    double ratio;   // wall height divisor

    void construct() { ratio = 1.6; }
    void refs(auto&& f) {
        f(pos);
        f(dir);
    }
};

extern PyTypeObject* CameraType;

// A new Camera(Vector2(2.5, 2.5), Vector2(0, 1), 60, 20) with ratio 1.6.
Ref newDefaultCamera();

}  // namespace bv
