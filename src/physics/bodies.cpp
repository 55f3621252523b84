// Native reads of the position, velocity and collision components of the physics' entities.
#include "physics/bodies.hpp"

#include "common/overridable.hpp"
#include "ecs/ecs.hpp"

namespace bv::physics {

namespace {
Ref checkedComponent(PyObject* entity, PyTypeObject* type, Ref c) {
    if (c && !PyObject_TypeCheck(c.get(), type)) {
        PyErr_Format(PyExc_TypeError, "the %s of entity %R is a %s", type->tp_name, entity, Py_TYPE(c.get())->tp_name);
        throwPy();
    }
    return c;
}
}  // namespace

Ref componentOf(PyObject* entity, PyTypeObject* type) {
    PyObject* key = reinterpret_cast<PyObject*>(type);
    if (PyObject_TypeCheck(entity, EntityType)) {
        PyObject* components = reinterpret_cast<EntityObject*>(entity)->components;
        if (components && PyDict_CheckExact(components)) {
            PyObject* c = PyDict_GetItemWithError(components, key);
            if (!c && PyErr_Occurred()) throwPy();
            return checkedComponent(entity, type, Ref::borrow(c));
        }
    }
    Ref c = callMethod(intern("getComponent"), entity, key);
    return checkedComponent(entity, type, c.get() == Py_None ? Ref() : std::move(c));
}

Ref requireComponent(PyObject* entity, PyTypeObject* type) {
    Ref c = componentOf(entity, type);
    if (!c) {
        PyErr_Format(PyExc_TypeError, "entity %R has no %s", entity, type->tp_name);
        throwPy();
    }
    return c;
}

Vector2Object* vectorField(PyObject* field, const char* what) {
    Vector2Object* v = readVector(field);
    if (!v) {
        PyErr_Format(PyExc_TypeError, "%s must be a brovaline.Vector2, not %s", what, Py_TYPE(orNone(field))->tp_name);
        throwPy();
    }
    return v;
}

}  // namespace bv::physics
