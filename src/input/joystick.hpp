// Joystick: an opened SDL joystick with its name and its numbers of axes and buttons.
#pragma once
#include "common/py.hpp"

#include <SDL.h>

namespace bv {

struct JoystickObject {
    PyObject_HEAD
    SDL_Joystick* ptr;  // null for a Joystick made by its constructor alone; never closed by the engine
    PyObject* name;
    int32_t axes;
    int32_t buttons;

    void refs(auto&& f) { f(name); }
};

extern PyTypeObject* JoystickType;

// Joystick(name, axes, buttons) bound to an opened device. Throws PyError.
Ref createJoystick(SDL_Joystick* ptr, PyObject* name, int32_t axes, int32_t buttons);

}  // namespace bv
