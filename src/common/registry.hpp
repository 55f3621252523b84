// Registration of the module's classes and start-up steps. Each class file registers itself with
// a static object; module initialisation creates the classes in the module's documented order and
// then runs the start-up steps by ascending number.
#pragma once
#include "py.hpp"

namespace bv {

using TypeMaker = PyTypeObject* (*)();  // creates the class (throws PyError on failure)
using StartupFn = void (*)(PyObject* module);

struct ClassRegistration {
    ClassRegistration(const char* name, TypeMaker make);
};
struct StartupStep {
    StartupStep(int order, StartupFn fn);
};

// Builds the module's namespace; called once by PyInit_brovaline.
void populateModule(PyObject* module, const char* const* classOrder, size_t count);

// The module object (borrowed; valid after initialisation starts).
PyObject* module();
// A module global by name (borrowed), or null if it is not defined.
PyObject* moduleGlobal(const char* name);
// Runs Python source in the module's namespace (for the classes defined at the host level).
void runInModule(const char* source);

}  // namespace bv
