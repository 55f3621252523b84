// The class and start-up step registries and the module's construction from them.
#include "registry.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

namespace bv {

namespace {
struct NamedMaker {
    const char* name;
    TypeMaker make;
};
std::vector<NamedMaker>& classes() {
    static std::vector<NamedMaker> v;
    return v;
}
std::vector<std::pair<Startup, StartupFn>>& steps() {
    static std::vector<std::pair<Startup, StartupFn>> v;
    return v;
}
PyObject* theModule = nullptr;
}  // namespace

ClassRegistration::ClassRegistration(const char* name, TypeMaker make) { classes().push_back({name, make}); }
StartupStep::StartupStep(Startup step, StartupFn fn) { steps().push_back({step, fn}); }

PyObject* module() { return theModule; }

PyObject* moduleGlobal(const char* name) {
    return theModule ? PyDict_GetItemString(PyModule_GetDict(theModule), name) : nullptr;
}

void runInModule(const PythonSource& python) {
    PyObject* globals = PyModule_GetDict(theModule);
    Ref code = Ref::checked(Py_CompileString(python.source, python.path, Py_file_input));
    Ref r = Ref::checked(PyEval_EvalCode(code, globals, globals));
}

void populateModule(PyObject* mod, const char* const* classOrder, size_t count) {
    theModule = mod;
    auto& regs = classes();
    for (size_t i = 0; i < count; ++i) {
        auto it = std::find_if(regs.begin(), regs.end(), [&](const NamedMaker& m) { return !strcmp(m.name, classOrder[i]); });
        if (it == regs.end()) continue;  // class not part of this build
        PyTypeObject* type = it->make();
        check(PyModule_AddObjectRef(mod, it->name, reinterpret_cast<PyObject*>(type)));
    }
    for (const NamedMaker& m : regs) {
        if (!PyDict_GetItemString(PyModule_GetDict(mod), m.name)) {
            PyErr_Format(PyExc_ImportError, "class %s is missing from the module's class order", m.name);
            throwPy();
        }
    }
    auto sorted = steps();
    std::stable_sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (auto& [step, fn] : sorted) fn(mod);
}

}  // namespace bv
