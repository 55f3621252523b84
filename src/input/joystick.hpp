// Joystick: an opened SDL joystick with its name and its numbers of axes and buttons.
#pragma once
#include "common/py.hpp"

#include <SDL.h>

namespace bv {

struct JoystickObject {
    PyObject_HEAD
    // The opened device, by instance id: SDL frees the device when its subsystem shuts down, so the
    // pointer is looked up on every use instead of kept. -1 for a Joystick made by its constructor.
    SDL_JoystickID instanceId;
    PyObject* name;
    int32_t axes;
    int32_t buttons;

    void construct() { instanceId = -1; }
    void refs(auto&& f) { f(name); }
};

extern PyTypeObject* JoystickType;

// Joystick(name, axes, buttons) bound to an opened device (never closed by the engine). Throws PyError.
Ref createJoystick(SDL_Joystick* ptr, PyObject* name, int32_t axes, int32_t buttons);

}  // namespace bv
