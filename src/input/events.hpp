// The event base class that every engine event derives from, and the input event classes.
#pragma once
#include "common/py.hpp"

namespace bv {

struct EventObject {
    PyObject_HEAD
    bool isAlreadyHandled;  // set by a handler that consumed the event
};

struct KeyEventObject : EventObject {
    int32_t key;  // SDL key code
    bool isCtrlPressed, isAltPressed, isShiftPressed;
};

struct MouseClickEventObject : EventObject {
    int32_t button;  // SDL button number
    int32_t x, y;    // render-target pixels
};

struct MouseWheelEventObject : EventObject {
    int32_t x, y;  // wheel steps, y positive away from the user
};

struct FullscreenEventObject : EventObject {
    bool oldValue, newValue;
};

struct JoystickAddedEventObject : EventObject {
    PyObject* joystick;

    void refs(auto&& f) { f(joystick); }
};

extern PyTypeObject* EventType;
extern PyTypeObject* KeyEventType;
extern PyTypeObject* MouseClickEventType;
extern PyTypeObject* MouseWheelEventType;
extern PyTypeObject* FullscreenEventType;
extern PyTypeObject* JoystickAddedEventType;

// New event objects built as their constructors would; null with an exception set on failure.
PyObject* newKeyEvent(int32_t key, bool ctrl, bool alt, bool shift);
PyObject* newMouseClickEvent(int32_t x, int32_t y, int32_t button);
PyObject* newMouseWheelEvent(int32_t x, int32_t y);
PyObject* newJoystickAddedEvent(PyObject* joystick);

}  // namespace bv
