// Joystick: opening a device, its name, axes and buttons.
#include "input/joystick.hpp"

#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "input/input_int.hpp"

namespace bv {

PyTypeObject* JoystickType;

namespace {

JoystickObject* asJoystick(PyObject* o) { return reinterpret_cast<JoystickObject*>(o); }

// The device while it is open, else null.
SDL_Joystick* device(PyObject* self) {
    SDL_JoystickID id = asJoystick(self)->instanceId;
    return id < 0 ? nullptr : SDL_JoystickFromInstanceID(id);
}

int Joystick_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Joystick", 3, "name", "axes", "buttons");
        if (a[0] != Py_None && !PyUnicode_Check(a[0])) throwArgType("name", "str", a[0]);
        int32_t axes = inputInt(a[1]), buttons = inputInt(a[2]);
        JoystickObject* j = asJoystick(self);
        setRef(j->name, a[0]);
        j->axes = axes;
        j->buttons = buttons;
        return 0;
    });
}

PyObject* Joystick_isButtonPressed(PyObject* self, PyObject* button) {
    return guard([&] {
        int32_t b = inputInt(button);
        SDL_Joystick* joy = device(self);
        return PyLong_FromLong(joy ? SDL_JoystickGetButton(joy, b) : 0);
    });
}

PyObject* Joystick_getAxis(PyObject* self, PyObject* axis) {
    return guard([&] {
        int32_t a = inputInt(axis);
        SDL_Joystick* joy = device(self);
        return PyFloat_FromDouble(joy ? SDL_JoystickGetAxis(joy, a) / 32768.0 : 0.0);
    });
}

PyObject* Joystick_str(PyObject* self) {
    JoystickObject* j = asJoystick(self);
    return PyUnicode_FromFormat("Joystick\n    name:    %S\n    axes:    %d\n    buttons: %d\n", orNone(j->name), j->axes,
                                j->buttons);
}

PyMethodDef methods[] = {
    BV_METHOD_ARG("isButtonPressed", Joystick_isButtonPressed, "button", "1 while the button is down, else 0."),
    BV_METHOD_ARG("getAxis", Joystick_getAxis, "axis", "The axis position, from -1.0 to just below 1.0."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    ro<&JoystickObject::name>("name"),
    ro<&JoystickObject::axes>("axes"),
    ro<&JoystickObject::buttons>("buttons"),
    propsEnd(),
};

ClassRegistration reg("Joystick", [] {
    ClassSpec spec = specFor<JoystickObject>("Joystick");
    spec.doc = "A joystick announced by the engine.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Joystick_init;
    spec.extraSlots = {{Py_tp_str, reinterpret_cast<void*>(Joystick_str)}};
    return JoystickType = createType(spec);
});

}  // namespace

Ref createJoystick(SDL_Joystick* ptr, PyObject* name, int32_t axes, int32_t buttons) {
    Ref j = Ref::checked(PyObject_CallFunction(reinterpret_cast<PyObject*>(JoystickType), "Oii", name, axes, buttons));
    asJoystick(j)->instanceId = SDL_JoystickInstanceID(ptr);
    return j;
}

}  // namespace bv
