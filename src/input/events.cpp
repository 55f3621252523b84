// Event and the input event classes with their properties.
#include "input/events.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"
#include "input/joystick.hpp"

namespace bv {

PyTypeObject* EventType;
PyTypeObject* KeyEventType;
PyTypeObject* MouseClickEventType;
PyTypeObject* MouseWheelEventType;
PyTypeObject* FullscreenEventType;
PyTypeObject* JoystickAddedEventType;

namespace {

template <class T>
T* as(PyObject* o) {
    return reinterpret_cast<T*>(o);
}

template <class T>
T* allocate(PyTypeObject* type) {
    return reinterpret_cast<T*>(check(type->tp_alloc(type, 0)));
}

int Event_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Event", 0);
        (void)a;
        as<EventObject>(self)->isAlreadyHandled = false;
        return 0;
    });
}

int KeyEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("KeyEvent", 4, "key", "isCtrlPressed", "isAltPressed", "isShiftPressed");
        auto* e = as<KeyEventObject>(self);
        e->isAlreadyHandled = false;
        e->key = toInt32(a[0]);
        e->isCtrlPressed = truth(a[1]);
        e->isAltPressed = truth(a[2]);
        e->isShiftPressed = truth(a[3]);
        return 0;
    });
}

int MouseClickEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("MouseClickEvent", 3, "x", "y", "button");
        auto* e = as<MouseClickEventObject>(self);
        e->isAlreadyHandled = false;
        e->x = toInt32(a[0]);
        e->y = toInt32(a[1]);
        e->button = toInt32(a[2]);
        return 0;
    });
}

int MouseWheelEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("MouseWheelEvent", 2, "x", "y");
        auto* e = as<MouseWheelEventObject>(self);
        e->isAlreadyHandled = false;
        e->x = toInt32(a[0]);
        e->y = toInt32(a[1]);
        return 0;
    });
}

int FullscreenEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("FullscreenEvent", 2, "oldValue", "newValue");
        auto* e = as<FullscreenEventObject>(self);
        e->isAlreadyHandled = false;
        e->oldValue = truth(a[0]);
        e->newValue = truth(a[1]);
        return 0;
    });
}

int JoystickAddedEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("JoystickAddedEvent", 1, "joystick");
        checkArg(a[0], JoystickType, "joystick");
        auto* e = as<JoystickAddedEventObject>(self);
        e->isAlreadyHandled = false;
        setRef(e->joystick, a[0]);
        return 0;
    });
}

PyGetSetDef eventProps[] = {
    rw<&EventObject::isAlreadyHandled>("isAlreadyHandled"),
    rw<&EventObject::isAlreadyHandled>("_isAlreadyHandled"),
    propsEnd(),
};

PyGetSetDef keyEventProps[] = {
    ro<&KeyEventObject::key>("key", "The key code (one of the KEY_ constants)."),
    ro<&KeyEventObject::isCtrlPressed>("isCtrlPressed"),
    ro<&KeyEventObject::isAltPressed>("isAltPressed"),
    ro<&KeyEventObject::isShiftPressed>("isShiftPressed"),
    rw<&KeyEventObject::key>("_key"),
    rw<&KeyEventObject::isCtrlPressed>("_isCtrlPressed"),
    rw<&KeyEventObject::isAltPressed>("_isAltPressed"),
    rw<&KeyEventObject::isShiftPressed>("_isShiftPressed"),
    propsEnd(),
};

PyGetSetDef mouseClickEventProps[] = {
    ro<&MouseClickEventObject::button>("button", "The button (MOUSE_LEFT, MOUSE_MIDDLE or MOUSE_RIGHT)."),
    ro<&MouseClickEventObject::x>("x"),
    ro<&MouseClickEventObject::y>("y"),
    rw<&MouseClickEventObject::button>("_button"),
    rw<&MouseClickEventObject::x>("_x"),
    rw<&MouseClickEventObject::y>("_y"),
    propsEnd(),
};

PyGetSetDef mouseWheelEventProps[] = {
    ro<&MouseWheelEventObject::x>("x"),
    ro<&MouseWheelEventObject::y>("y"),
    rw<&MouseWheelEventObject::x>("_x"),
    rw<&MouseWheelEventObject::y>("_y"),
    propsEnd(),
};

PyGetSetDef fullscreenEventProps[] = {
    ro<&FullscreenEventObject::oldValue>("oldValue"),
    ro<&FullscreenEventObject::newValue>("newValue"),
    rw<&FullscreenEventObject::oldValue>("_oldValue"),
    rw<&FullscreenEventObject::newValue>("_newValue"),
    propsEnd(),
};

PyGetSetDef joystickAddedEventProps[] = {
    ro<&JoystickAddedEventObject::joystick>("joystick"),
    rwTyped<&JoystickAddedEventObject::joystick, &JoystickType>("_joystick"),
    propsEnd(),
};

template <class T>
PyTypeObject* makeEventType(const char* name, PyTypeObject* base, const char* doc, PyGetSetDef* props, initproc init) {
    ClassSpec spec = specFor<T>(name, base);
    spec.doc = doc;
    spec.getset = props;
    spec.init = init;
    return createType(spec);
}

ClassRegistration event("Event", [] {
    return EventType = makeEventType<EventObject>(
               "Event", nullptr, "Base of all events; a handler sets isAlreadyHandled when it consumed the event.",
               eventProps, Event_init);
});
ClassRegistration keyEvent("KeyEvent", [] {
    return KeyEventType = makeEventType<KeyEventObject>("KeyEvent", EventType, "A key press with its modifier keys.",
                                                        keyEventProps, KeyEvent_init);
});
ClassRegistration mouseClickEvent("MouseClickEvent", [] {
    return MouseClickEventType = makeEventType<MouseClickEventObject>(
               "MouseClickEvent", EventType, "A mouse button release at a render-target pixel.", mouseClickEventProps,
               MouseClickEvent_init);
});
ClassRegistration mouseWheelEvent("MouseWheelEvent", [] {
    return MouseWheelEventType = makeEventType<MouseWheelEventObject>(
               "MouseWheelEvent", EventType,
               "A mouse wheel movement in steps as SDL reports them: x positive to the right, y positive away "
               "from the user (both reversed when the system scrolls \"naturally\").",
               mouseWheelEventProps, MouseWheelEvent_init);
});
ClassRegistration fullscreenEvent("FullscreenEvent", [] {
    return FullscreenEventType = makeEventType<FullscreenEventObject>(
               "FullscreenEvent", EventType, "The fullscreen state before and after a toggle.", fullscreenEventProps,
               FullscreenEvent_init);
});
ClassRegistration joystickAddedEvent("JoystickAddedEvent", [] {
    return JoystickAddedEventType = makeEventType<JoystickAddedEventObject>(
               "JoystickAddedEvent", EventType, "A joystick was connected and opened.", joystickAddedEventProps,
               JoystickAddedEvent_init);
});

}  // namespace

PyObject* newKeyEvent(int32_t key, bool ctrl, bool alt, bool shift) {
    return guard([&] {
        auto* e = allocate<KeyEventObject>(KeyEventType);
        e->key = key;
        e->isCtrlPressed = ctrl;
        e->isAltPressed = alt;
        e->isShiftPressed = shift;
        return reinterpret_cast<PyObject*>(e);
    });
}

PyObject* newMouseClickEvent(int32_t x, int32_t y, int32_t button) {
    return guard([&] {
        auto* e = allocate<MouseClickEventObject>(MouseClickEventType);
        e->x = x;
        e->y = y;
        e->button = button;
        return reinterpret_cast<PyObject*>(e);
    });
}

PyObject* newMouseWheelEvent(int32_t x, int32_t y) {
    return guard([&] {
        auto* e = allocate<MouseWheelEventObject>(MouseWheelEventType);
        e->x = x;
        e->y = y;
        return reinterpret_cast<PyObject*>(e);
    });
}

PyObject* newJoystickAddedEvent(PyObject* joystick) {
    return guard([&] {
        auto* e = allocate<JoystickAddedEventObject>(JoystickAddedEventType);
        setRef(e->joystick, joystick);
        return reinterpret_cast<PyObject*>(e);
    });
}

}  // namespace bv
