// Overridable methods: C++ code calls a method by lookup on the object's type, and takes a direct
// native path when the type does not override the native implementation.
#pragma once
#include "py.hpp"

namespace bv {

class Overridable {
public:
    explicit Overridable(const char* name) : name_(name) {}
    // Records the native descriptor; call once the owning type exists.
    void bind(PyTypeObject* owner);
    // True when the method found on type(self) is the native one.
    bool isNative(PyObject* self) const {
        PyTypeObject* t = Py_TYPE(self);
        if (t == owner_) return true;
        return _PyType_Lookup(t, interned_) == descr_;
    }
    PyObject* name() const { return interned_; }
    // Calls self.<name>(*args) by lookup; returns a new reference or throws.
    template <class... A>
    Ref call(PyObject* self, A... args) const {
        PyObject* argv[] = {self, args...};
        return Ref::checked(
            PyObject_VectorcallMethod(interned_, argv, (sizeof...(A) + 1) | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
    }

private:
    const char* name_;
    PyObject* interned_ = nullptr;
    PyObject* descr_ = nullptr;
    PyTypeObject* owner_ = nullptr;
};

// Calls obj.<name>(*args) by lookup (interned name); returns a new reference or throws.
template <class... A>
Ref callMethod(PyObject* name, PyObject* self, A... args) {
    PyObject* argv[] = {self, args...};
    return Ref::checked(
        PyObject_VectorcallMethod(name, argv, (sizeof...(A) + 1) | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
}
// Calls a callable with positional arguments; returns a new reference or throws.
template <class... A>
Ref callObject(PyObject* callable, A... args) {
    PyObject* argv[] = {nullptr, args...};
    return Ref::checked(
        PyObject_Vectorcall(callable, argv + 1, sizeof...(A) | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr));
}

// An interned string created once (for attribute and method names used on hot paths).
PyObject* intern(const char* s);

}  // namespace bv
