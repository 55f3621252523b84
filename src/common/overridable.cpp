// Overridable methods: the lookup on the object's type and the native-path test.
#include "overridable.hpp"

namespace bv {

void Overridable::bind(PyTypeObject* owner) {
    owner_ = owner;
    interned_ = intern(name_);
    descr_ = _PyType_Lookup(owner, interned_);
}

PyObject* intern(const char* s) {
    PyObject* o = PyUnicode_InternFromString(s);
    if (!o) throwPy();
    return o;  // kept for the life of the process
}

}  // namespace bv
