// Draining SDL's event queue once per frame, and the Engine's device state queries.
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "core/engine.hpp"
#include "input/event_subscribers.hpp"
#include "input/events.hpp"
#include "input/input_int.hpp"
#include "input/joystick.hpp"

#include <cstring>

namespace bv {

namespace {

EngineObject* asEngine(PyObject* o) { return reinterpret_cast<EngineObject*>(o); }
PyObject* asObject(EngineObject* e) { return reinterpret_cast<PyObject*>(e); }

// The left modifier key's state, or the right one's when the left is up.
bool modifierDown(const Uint8* keys, SDL_Keycode left, SDL_Keycode right) {
    return keys[SDL_GetScancodeFromKey(left)] || keys[SDL_GetScancodeFromKey(right)];
}

void keyPressed(EngineObject* self, SDL_Keycode keycode) {
    if (self->killWithEscapeKey && keycode == SDLK_ESCAPE) self->initialized = 0;
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    Ref evt = Ref::checked(newKeyEvent(keycode, modifierDown(keys, SDLK_LCTRL, SDLK_RCTRL),
                                       modifierDown(keys, SDLK_LALT, SDLK_RALT),
                                       modifierDown(keys, SDLK_LSHIFT, SDLK_RSHIFT)));
    fireEvent(asObject(self), evt.get());
}

// Calls every handler of `key` with an event of its own, so one handler's flag never reaches the next.
template <class MakeEvent>
void deliverFreshEvents(PyTypeObject* key, MakeEvent make) {
    forEachHandler(reinterpret_cast<PyObject*>(key), [&](PyObject* handler) {
        Ref evt = Ref::checked(make());
        callObject(handler, evt.get());
    });
}

void mouseButtonReleased(EngineObject* self, const SDL_MouseButtonEvent& e) {
    auto [fx, fy] = displayScaleFactor(self);
    int32_t x = int32_t(e.x * fx), y = int32_t(e.y * fy), button = e.button;
    deliverFreshEvents(MouseClickEventType, [&] { return newMouseClickEvent(x, y, button); });
}

void wheelMoved(const SDL_MouseWheelEvent& e) {
    deliverFreshEvents(MouseWheelEventType, [&] { return newMouseWheelEvent(e.x, e.y); });
}

// Opens the device the event announces; a device that cannot be opened is not announced.
void joystickAdded(EngineObject* self, const SDL_JoyDeviceEvent& e) {
    SDL_Joystick* joy = SDL_JoystickOpen(e.which);
    if (!joy) return;
    const char* rawName = SDL_JoystickName(joy);
    Ref name = rawName ? Ref::checked(PyUnicode_DecodeUTF8(rawName, Py_ssize_t(strlen(rawName)), "replace"))
                       : Ref::borrow(Py_None);
    Ref joystick = createJoystick(joy, name, SDL_JoystickNumAxes(joy), SDL_JoystickNumButtons(joy));
    check(PyList_Append(engineClassAttr(intern("_joysticks")), joystick));
    Ref evt = Ref::checked(newJoystickAddedEvent(joystick));
    fireEvent(asObject(self), evt.get());
}

void handle(EngineObject* self, const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            self->initialized = 0;
            break;
        case SDL_KEYDOWN:
            keyPressed(self, event.key.keysym.sym);
            break;
        case SDL_MOUSEMOTION:
            self->mouseDistX = event.motion.xrel;
            self->mouseDistY = event.motion.yrel;
            break;
        case SDL_MOUSEBUTTONUP:
            mouseButtonReleased(self, event.button);
            break;
        case SDL_MOUSEWHEEL:
            wheelMoved(event.wheel);
            break;
        case SDL_JOYDEVICEADDED:
            joystickAdded(self, event.jdevice);
            break;
        case SDL_JOYDEVICEREMOVED:
            PySys_WriteStdout("Joystick removed\n");
            break;
        default:
            break;
    }
}

PyObject* Engine_captureMouse(PyObject*, PyObject* capture) {
    return guard([&] {
        SDL_SetRelativeMouseMode(truth(capture) ? SDL_TRUE : SDL_FALSE);
        return none();
    });
}

PyObject* Engine_isMouseCaptured(PyObject*, PyObject*) { return boolean(SDL_GetRelativeMouseMode()); }

PyObject* Engine_getKeyName(PyObject*, PyObject* keycode) {
    return guard([&] {
        const char* name = SDL_GetKeyName(inputInt(keycode));
        return PyUnicode_DecodeUTF8(name, Py_ssize_t(strlen(name)), "replace");
    });
}

PyObject* Engine_isKeyPressed(PyObject*, PyObject* keycode) {
    return guard([&] {
        int numKeys = 0;
        const Uint8* keys = SDL_GetKeyboardState(&numKeys);
        SDL_Scancode scancode = SDL_GetScancodeFromKey(inputInt(keycode));
        return PyLong_FromLong(scancode < numKeys && keys[scancode] ? 1 : 0);
    });
}

PyObject* Engine_isMouseButtonPressed(PyObject*, PyObject* button) {
    return guard([&] {
        int32_t b = inputInt(button);
        Uint32 state = SDL_GetMouseState(nullptr, nullptr);
        return boolean(b >= 1 && b <= 32 && (state & (Uint32(1) << (b - 1))));
    });
}

PyObject* Engine_getMouseDist(PyObject* self, PyObject*) {
    return Py_BuildValue("(ii)", asEngine(self)->mouseDistX, asEngine(self)->mouseDistY);
}

PyObject* Engine_getMousePos(PyObject* self, PyObject*) {
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    auto [fx, fy] = displayScaleFactor(asEngine(self));
    return Py_BuildValue("(ii)", int(x * fx), int(y * fy));
}

}  // namespace

void engineUpdateInput(EngineObject* self) {
    self->mouseDistX = self->mouseDistY = 0;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (guardInt([&] {
                handle(self, event);
                return 0;
            }) < 0) {
            // The rest of the queue waits for the next frame.
            reportUnraisable("Engine._updateInput");
            return;
        }
    }
}

PyMethodDef engineInputMethods[] = {
    BV_METHOD_ARG("captureMouse", Engine_captureMouse, "capture", "Hides the cursor and reports only relative motion while on."),
    BV_METHOD_NOARGS("isMouseCaptured", Engine_isMouseCaptured, "True while the mouse is captured (relative motion only)."),
    BV_METHOD_ARG("getKeyName", Engine_getKeyName, "keycode", "SDL's name of a key code ('' for codes without one)."),
    BV_METHOD_ARG("isKeyPressed", Engine_isKeyPressed, "keycode", "1 while the key is down (as of the last poll), else 0."),
    BV_METHOD_ARG("isMouseButtonPressed", Engine_isMouseButtonPressed, "button", "Whether the mouse button (1 = left) is down."),
    BV_METHOD_NOARGS("getMouseDist", Engine_getMouseDist, "The relative motion of this frame's last mouse motion."),
    BV_METHOD_NOARGS("getMousePos", Engine_getMousePos, "The mouse position in render-target pixels."),
    BV_METHODS_END,
};

}  // namespace bv
