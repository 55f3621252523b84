// The module's exception classes, defined at the Python level, and helpers to raise them.
#include "common/dispatch.hpp"
#include "common/registry.hpp"
#include "core/sdl_error.hpp"

#include <SDL.h>

#include <cstring>

namespace bv {

namespace {

const char* kErrorClasses = R"PY(
class EngineException(Exception):
    """The base class of all of the engine's own exceptions."""

    def __init__(self, msg):
        self.msg = msg

    def __str__(self):
        return 'EngineException("%s")' % (self.msg,)


def _makeSdlException(sdlError):
    class EngineSdlException(EngineException):
        """Errors reported by SDL, on which window and input handling rest."""

        def __init__(self, msg):
            EngineException.__init__(self, msg)
            self.error = sdlError()

        def __str__(self):
            return 'EngineException<SDL Error>("%s", "%s")' % (self.msg, self.error)

    EngineSdlException.__qualname__ = "EngineSdlException"
    return EngineSdlException


EngineSdlException = _makeSdlException(_sdlError)
del _makeSdlException, _sdlError


class LevelFormatException(EngineException):
    """A level could not be loaded because of invalid file content or an invalid level format."""

    def __init__(self, filename, msg):
        EngineException.__init__(self, msg)
        self.filename = filename

    def __str__(self):
        return "EngineException(Error while loading file '%s': \"%s\")" % (self.filename, self.msg)
)PY";

PyObject* sdlError(PyObject*, PyObject*) {
    return PyUnicode_DecodeUTF8(SDL_GetError(), Py_ssize_t(strlen(SDL_GetError())), "replace");
}
PyMethodDef sdlErrorDef = {"_sdlError", sdlError, METH_NOARGS, nullptr};

StartupStep errorClasses(130, [](PyObject* module) {
    Ref fn = Ref::checked(PyCFunction_New(&sdlErrorDef, nullptr));
    check(PyModule_AddObjectRef(module, "_sdlError", fn));
    runInModule(kErrorClasses);
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
