// Text signatures for help() and inspect.signature: the argument lists of the native classes,
// methods and functions, taken from the stubs at build time (text_signatures.inc) and put in front
// of their docstrings in the "name(args)\n--\n\n" form CPython reads __text_signature__ from.
#include "common/registry.hpp"

#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace bv {

namespace {

struct TextSignature {
    const char* name;  // "function", "Class" or "Class.method"
    const char* args;  // "($self, a, b=1)"
};

constexpr TextSignature kSignatures[] = {
#include "text_signatures.inc"
};

constexpr std::string_view kSeparator = "\n--\n\n";

// Docstrings live as long as the process: the method tables point into this storage.
std::string& keep(std::string text) {
    static std::deque<std::string> docs;
    return docs.emplace_back(std::move(text));
}

bool hasSignature(const char* doc) { return doc && std::strstr(doc, kSeparator.data()); }

std::string withSignature(std::string_view name, const char* args, const char* doc) {
    return std::string(name) + args + std::string(kSeparator) + (doc ? doc : "");
}

// The method table entry behind a native callable, or null for anything written in Python.
PyMethodDef* methodDef(PyObject* callable) {
    if (PyObject_TypeCheck(callable, &PyMethodDescr_Type) || PyObject_TypeCheck(callable, &PyClassMethodDescr_Type))
        return reinterpret_cast<PyMethodDescrObject*>(callable)->d_method;
    if (PyCFunction_Check(callable)) return reinterpret_cast<PyCFunctionObject*>(callable)->m_ml;
    return nullptr;
}

void signMethod(PyObject* callable, std::string_view name, const char* args) {
    PyMethodDef* def = methodDef(callable);
    if (!def || hasSignature(def->ml_doc)) return;
    def->ml_doc = keep(withSignature(name, args, def->ml_doc)).c_str();
}

// A heap type owns its tp_doc (allocated by PyType_FromSpec, freed with the type); __doc__ in its
// dictionary already holds the text without a signature.
void signClass(PyTypeObject* type, std::string_view name, const char* args) {
    if (!(type->tp_flags & Py_TPFLAGS_HEAPTYPE) || hasSignature(type->tp_doc)) return;
    std::string doc = withSignature(name, args, type->tp_doc);
    char* copy = static_cast<char*>(PyObject_Malloc(doc.size() + 1));
    if (!copy) {
        PyErr_NoMemory();
        throwPy();
    }
    std::memcpy(copy, doc.c_str(), doc.size() + 1);
    PyObject_Free(const_cast<char*>(type->tp_doc));
    type->tp_doc = copy;
    PyType_Modified(type);
}

// The stubs' entry for `method` of `type`, or of the nearest base declaring it (a subclass that
// overrides a method without changing its arguments is not repeated in the stubs).
const char* methodArgs(const std::unordered_map<std::string_view, const char*>& table, PyTypeObject* type,
                       std::string_view method) {
    PyObject* mro = type->tp_mro;
    for (Py_ssize_t i = 0; mro && i < PyTuple_GET_SIZE(mro); ++i) {
        const char* qualified = reinterpret_cast<PyTypeObject*>(PyTuple_GET_ITEM(mro, i))->tp_name;
        std::string_view typeName = qualified;
        typeName.remove_prefix(typeName.rfind('.') + 1);
        auto it = table.find(std::string(typeName) + "." + std::string(method));
        if (it != table.end()) return it->second;
    }
    return nullptr;
}

void signClassAndMethods(const std::unordered_map<std::string_view, const char*>& table, PyTypeObject* type,
                         std::string_view name) {
    if (auto it = table.find(name); it != table.end()) signClass(type, name, it->second);
    PyObject *key, *value;
    Py_ssize_t pos = 0;
    while (PyDict_Next(type->tp_dict, &pos, &key, &value)) {
        const char* method = PyUnicode_AsUTF8(key);
        if (!method) throwPy();
        if (const char* args = methodArgs(table, type, method)) signMethod(value, method, args);
    }
}

// Classes made by createType are named "brovaline.X"; those written in Python carry no prefix.
bool isNative(PyTypeObject* type) { return std::strncmp(type->tp_name, "brovaline.", 10) == 0; }

StartupStep textSignatures(Startup::TextSignatures, [](PyObject* module) {
    std::unordered_map<std::string_view, const char*> table;
    for (const TextSignature& s : kSignatures) table.emplace(s.name, s.args);
    PyObject *key, *value;
    Py_ssize_t pos = 0;
    while (PyDict_Next(PyModule_GetDict(module), &pos, &key, &value)) {
        const char* name = PyUnicode_AsUTF8(key);
        if (!name) throwPy();
        if (PyType_Check(value) && isNative(reinterpret_cast<PyTypeObject*>(value)))
            signClassAndMethods(table, reinterpret_cast<PyTypeObject*>(value), name);
        else if (auto it = table.find(name); it != table.end())
            signMethod(value, name, it->second);
    }
});

}  // namespace

}  // namespace bv
