// Vector fields of the components as member descriptors: the interpreter turns `component.pos` into a
// direct load of the field. Writes go through the type's setattro, which keeps the Vector2 check and the
// refusal to delete and notes the mutation; the member itself is read-only, so that no write bypasses
// them. The field holds None rather than null, so a read never raises.
#pragma once
#include <structmember.h>

#include "common/args.hpp"
#include "common/props.hpp"
#include "geometry/vector2.hpp"

namespace bv {

// A member entry for the vector field at `offset`.
constexpr PyMemberDef vectorMember(const char* name, Py_ssize_t offset, const char* doc = nullptr) {
    return {name, T_OBJECT_EX, offset, READONLY, doc};
}

// setattro of a type whose vector fields are the entries of `Members`; `Owner` is that type. A subclass
// that defines its own attribute of such a name gets the generic path.
template <PyMemberDef* Members, PyTypeObject** Owner>
int vectorFieldsSetattro(PyObject* self, PyObject* name, PyObject* value) {
    if (PyUnicode_Check(name)) {
        for (PyMemberDef* m = Members; m->name; ++m) {
            if (PyUnicode_CompareWithASCIIString(name, m->name) != 0) continue;
            PyTypeObject* type = Py_TYPE(self);
            if (type != *Owner && _PyType_Lookup(type, name) != _PyType_Lookup(*Owner, name)) break;
            if (!value) return refuseDelete();
            if (value != Py_None && !isVector2(value))
                return guardInt([&]() -> int { throwArgType(m->name, Vector2Type, value); });
            PyObject*& field = *reinterpret_cast<PyObject**>(reinterpret_cast<char*>(self) + m->offset);
            setRef(field, value);
            noteMutation();
            return 0;
        }
    }
    return PyObject_GenericSetAttr(self, name, value);
}

// Every vector field of `Members` set to None (a fresh object's fields are null).
template <PyMemberDef* Members>
void noneVectorFields(PyObject* self) {
    for (PyMemberDef* m = Members; m->name; ++m) {
        PyObject*& field = *reinterpret_cast<PyObject**>(reinterpret_cast<char*>(self) + m->offset);
        if (!field) field = Py_NewRef(Py_None);
    }
}

}  // namespace bv
