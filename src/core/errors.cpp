// The module's exception classes, defined at the Python level, and helpers to raise them.
#include "common/overridable.hpp"
#include "common/registry.hpp"
#include "core/errors.py.hpp"
#include "core/sdl_error.hpp"

#include <SDL.h>

#include <cstring>

namespace bv {

namespace {

PyObject* sdlError(PyObject*, PyObject*) {
    return PyUnicode_DecodeUTF8(SDL_GetError(), Py_ssize_t(strlen(SDL_GetError())), "replace");
}
PyMethodDef sdlErrorDef = {"_sdlError", sdlError, METH_NOARGS, nullptr};

StartupStep errorClasses(Startup::ErrorClasses, [](PyObject* module) {
    Ref fn = Ref::checked(PyCFunction_New(&sdlErrorDef, nullptr));
    check(PyModule_AddObjectRef(module, "_sdlError", fn));
    runInModule(embedded::core_errors_py);
});

[[noreturn]] void raiseClass(const char* cls, PyObject* args) {
    PyObject* type = moduleGlobal(cls);
    if (!type) throwPy();
    Ref exc = Ref::checked(PyObject_CallObject(type, args));
    PyErr_SetObject(type, exc);
    throwPy();
}

}  // namespace

void throwEngineException(const char* msg) {
    Ref args = Ref::checked(Py_BuildValue("(s)", msg));
    raiseClass("EngineException", args);
}

void throwSdlException(const char* msg) {
    Ref args = Ref::checked(Py_BuildValue("(s)", msg));
    raiseClass("EngineSdlException", args);
}

void throwLevelFormatException(PyObject* filename, const char* msg) {
    Ref args = Ref::checked(Py_BuildValue("(Os)", filename, msg));
    raiseClass("LevelFormatException", args);
}

}  // namespace bv
