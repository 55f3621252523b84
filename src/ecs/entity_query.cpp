#include "ecs/entity_query.hpp"

#include "common/klass.hpp"
#include "ecs/ecs.hpp"

namespace bv {

namespace {

PyTypeObject* EntityQueryType;

struct EntityQueryObject {
    PyObject_HEAD
    PyObject* entities;  // the list walked; null once exhausted (an exhausted query stays exhausted)
    PyObject* types;     // tuple of classes
    Py_ssize_t next;     // index of the next entity to look at

    void refs(auto&& f) {
        f(entities);
        f(types);
    }
};

// `t in entity._components` for every class, read through the attribute like any Python code would.
bool hasAllGeneric(PyObject* entity, PyObject* types) {
    static PyObject* name = intern("_components");
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(types); ++i) {
        Ref components = Ref::checked(PyObject_GetAttr(entity, name));
        if (!check(PySequence_Contains(components, PyTuple_GET_ITEM(types, i)))) return false;
    }
    return true;
}

bool hasAll(PyObject* entity, PyObject* types) {
    if (!isPlainEntity(entity)) return hasAllGeneric(entity, types);
    PyObject* components = reinterpret_cast<EntityObject*>(entity)->components;
    if (!components || !PyDict_CheckExact(components)) return hasAllGeneric(entity, types);
    Ref keep = Ref::borrow(components);  // a key's __eq__ may replace the dict
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(types); ++i)
        if (!check(PyDict_Contains(components, PyTuple_GET_ITEM(types, i)))) return false;
    return true;
}

PyObject* EntityQuery_next(PyObject* self) {
    return guard([&]() -> PyObject* {
        auto* q = reinterpret_cast<EntityQueryObject*>(self);
        while (q->entities && q->next < PyList_GET_SIZE(q->entities)) {
            Ref entity = Ref::borrow(PyList_GET_ITEM(q->entities, q->next));
            ++q->next;
            if (hasAll(entity, q->types)) return entity.release();
        }
        Py_CLEAR(q->entities);
        return nullptr;
    });
}

PyTypeObject* queryType() {
    if (!EntityQueryType) {
        ClassSpec spec = specFor<EntityQueryObject>("_EntityQuery");
        spec.doc = "The entities having all given component classes, in list order, each read when reached.";
        spec.flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC;
        spec.extraSlots = {{Py_tp_iter, reinterpret_cast<void*>(PyObject_SelfIter)},
                           {Py_tp_iternext, reinterpret_cast<void*>(EntityQuery_next)}};
        EntityQueryType = createType(spec);
    }
    return EntityQueryType;
}

}  // namespace

bool isPlainEntity(PyObject* entity) {
    // The last type seen, valid while its version tag (any change to it or its bases resets the tag) holds.
    static PyTypeObject* knownType = nullptr;
    static unsigned int knownTag = 0;
    PyTypeObject* type = Py_TYPE(entity);
    if (type == knownType && knownTag != 0 && type->tp_version_tag == knownTag &&
        PyType_HasFeature(type, Py_TPFLAGS_VALID_VERSION_TAG))
        return true;
    if (!PyType_IsSubtype(type, EntityType) || type->tp_getattro != PyObject_GenericGetAttr) return false;
    static PyObject* name = intern("_components");
    static PyObject* descr = _PyType_Lookup(EntityType, name);
    if (_PyType_Lookup(type, name) != descr) return false;
    if (PyType_HasFeature(type, Py_TPFLAGS_VALID_VERSION_TAG)) {
        knownType = type;
        knownTag = type->tp_version_tag;
    }
    return true;
}

PyObject* newEntityQuery(PyObject* entities, PyObject* types) {
    PyObject* self = PyType_GenericAlloc(queryType(), 0);
    if (!self) throwPy();
    auto* q = reinterpret_cast<EntityQueryObject*>(self);
    q->entities = Py_NewRef(entities);
    q->types = Py_NewRef(types);
    return self;
}

}  // namespace bv
