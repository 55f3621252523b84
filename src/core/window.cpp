// Engine window operations: fullscreen, title, position, size, icon and screenshots.
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"

#include <SDL_image.h>

namespace bv {

namespace {

constexpr Uint32 kFullscreenMask = SDL_WINDOW_FULLSCREEN_DESKTOP;  // 0x1001: real or desktop fullscreen

EngineObject* asEngine(PyObject* o) { return reinterpret_cast<EngineObject*>(o); }

bool windowIsFullscreen(EngineObject* self) {
    return self->window && (SDL_GetWindowFlags(self->window) & kFullscreenMask);
}

PyObject* Engine_isFullscreen(PyObject* self, PyObject*) { return boolean(windowIsFullscreen(asEngine(self))); }

PyObject* Engine_internalToggleFullscreen(PyObject* self, PyObject*) {
    EngineObject* e = asEngine(self);
    if (!e->window) return none();
    if (windowIsFullscreen(e)) {
        SDL_SetWindowFullscreen(e->window, 0);
        SDL_SetWindowSize(e->window, e->windowBounds.w, e->windowBounds.h);
        SDL_SetWindowPosition(e->window, e->windowBounds.x, e->windowBounds.y);
    } else {
        SDL_GetWindowPosition(e->window, &e->windowBounds.x, &e->windowBounds.y);
        SDL_GetWindowSize(e->window, &e->windowBounds.w, &e->windowBounds.h);
        SDL_Rect display{};
        SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(e->window), &display);
        SDL_SetWindowPosition(e->window, display.x, display.y);
        SDL_SetWindowSize(e->window, display.w, display.h);
        SDL_SetWindowFullscreen(e->window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    return none();
}

PyObject* Engine_toggleFullscreen(PyObject* self, PyObject*) {
    return guard([&] {
        bool oldValue = truth(engine_methods::isFullscreen.call(self));
        Ref r = callMethod(intern("_toggleFullscreen"), self);
        bool newValue = truth(engine_methods::isFullscreen.call(self));
        PyObject* cls = moduleGlobal("FullscreenEvent");
        if (!cls) throwPy();
        Ref evt = Ref::checked(PyObject_CallFunction(cls, "OO", oldValue ? Py_True : Py_False, newValue ? Py_True : Py_False));
        engine_methods::fireEvent.call(self, evt.get());
        return none();
    });
}

PyObject* Engine_setFullscreen(PyObject* self, PyObject* arg) {
    return guard([&] {
        bool on = truth(arg);
        if (asEngine(self)->window) SDL_SetWindowFullscreen(asEngine(self)->window, on ? SDL_WINDOW_FULLSCREEN : 0);
        return none();
    });
}

PyObject* Engine_setWindowTitle(PyObject* self, PyObject* arg) {
    return guard([&] {
        const char* title = toUtf8(arg, "title");
        if (asEngine(self)->window) SDL_SetWindowTitle(asEngine(self)->window, title);
        return none();
    });
}

PyObject* intPair(int x, int y) { return Py_BuildValue("(ii)", x, y); }

PyObject* Engine_getWindowPos(PyObject* self, PyObject*) {
    int x = 0, y = 0;
    if (asEngine(self)->window) SDL_GetWindowPosition(asEngine(self)->window, &x, &y);
    return intPair(x, y);
}

PyObject* Engine_setWindowPos(PyObject* self, PyObject* arg) {
    return guard([&] {
        auto [xo, yo] = unpackPair(arg);
        int x = toInt32(xo), y = toInt32(yo);
        if (asEngine(self)->window) SDL_SetWindowPosition(asEngine(self)->window, x, y);
        return none();
    });
}

PyObject* Engine_setWindowIcon(PyObject* self, PyObject* arg) {
    return guard([&] {
        const char* path = toUtf8(arg, "icon");
        SDL_Surface* icon = IMG_Load(path);
        if (icon) {
            if (asEngine(self)->window) SDL_SetWindowIcon(asEngine(self)->window, icon);
            SDL_FreeSurface(icon);
        }
        return none();
    });
}

PyObject* Engine_setWindowSize(PyObject* self, PyObject* arg) {
    return guard([&] {
        auto [wo, ho] = unpackPair(arg);
        int w = toInt32(wo), h = toInt32(ho);
        if (asEngine(self)->window) SDL_SetWindowSize(asEngine(self)->window, w, h);
        return none();
    });
}

PyObject* Engine_getWindowSize(PyObject* self, PyObject*) {
    int w = 0, h = 0;
    if (asEngine(self)->window) SDL_GetWindowSize(asEngine(self)->window, &w, &h);
    return intPair(w, h);
}


PyObject* Engine_saveScreenshot(PyObject* self, PyObject* arg) {
    return guard([&] {
        const char* path = toUtf8(arg, "filename");
        SDL_Window* window = asEngine(self)->window;
        SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
        if (!surface || IMG_SavePNG(surface, path) != 0) {
            PyErr_Format(PyExc_IOError, "Unable to save screenshot '%s'", path);
            throwPy();
        }
        return none();
    });
}

}  // namespace

PyMethodDef engineWindowMethods[] = {
    BV_METHOD_NOARGS("isFullscreen", Engine_isFullscreen, "True when the window is fullscreen, real or desktop."),
    BV_METHOD_NOARGS("_toggleFullscreen", Engine_internalToggleFullscreen, nullptr),
    BV_METHOD_NOARGS("toggleFullscreen", Engine_toggleFullscreen, "Switches desktop fullscreen on or off and fires a FullscreenEvent."),
    BV_METHOD_ARG("setFullscreen", Engine_setFullscreen, "fullscreen", "Real fullscreen (a mode change) when true, windowed otherwise; fires no event."),
    BV_METHOD_ARG("setWindowTitle", Engine_setWindowTitle, "title", "Sets the window's title."),
    BV_METHOD_NOARGS("getWindowPos", Engine_getWindowPos, "The window's position on the desktop, as (x, y)."),
    BV_METHOD_ARG("setWindowPos", Engine_setWindowPos, "pos", "Moves the window to pos, a pair (x, y)."),
    BV_METHOD_ARG("setWindowIcon", Engine_setWindowIcon, "icon", "Sets the window's icon from an image file."),
    BV_METHOD_ARG("setWindowSize", Engine_setWindowSize, "size", "Resizes the window to size, a pair (width, height); the render target keeps its size."),
    BV_METHOD_NOARGS("getWindowSize", Engine_getWindowSize, "The window's size, as (width, height)."),
    BV_METHOD_ARG("saveScreenshot", Engine_saveScreenshot, "filename", "Saves what the window shows as a PNG file."),
    BV_METHODS_END,
};

}  // namespace bv
