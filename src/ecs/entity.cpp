// Entity: an id and a dict of components keyed by component class.
#include "common/dict_version.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "ecs/ecs.hpp"
#include "ecs/entity_query.hpp"

namespace bv {

PyTypeObject* EntityType;

namespace {

EntityObject* asEntity(PyObject* o) { return reinterpret_cast<EntityObject*>(o); }

// The component dict, created on first use for entities whose __init__ was skipped.
PyObject* componentsOf(EntityObject* e) {
    if (!e->components || !PyDict_Check(e->components)) {
        if (e->components && e->components != Py_None) return e->components;
        Ref d = Ref::checked(PyDict_New());
        setRef(e->components, d);
    }
    return e->components;
}

int Entity_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        Py_ssize_t nargs = PyTuple_GET_SIZE(args);
        PyObject* id = nargs > 0 ? PyTuple_GET_ITEM(args, 0) : nullptr;
        if (kwargs) {
            Py_ssize_t pos = 0;
            PyObject *key, *value;
            while (PyDict_Next(kwargs, &pos, &key, &value)) {
                if (PyUnicode_CompareWithASCIIString(key, "id") != 0) {
                    PyErr_Format(PyExc_TypeError, "Entity() got an unexpected keyword argument '%U'", key);
                    throwPy();
                }
                if (id) {
                    PyErr_SetString(PyExc_TypeError, "Entity() got multiple values for keyword argument 'id'");
                    throwPy();
                }
                id = value;
            }
        }
        EntityObject* e = asEntity(self);
        if (id && !PyLong_CheckExact(id)) {
            PyErr_SetString(PyExc_ValueError, "Entity ID must be int");
            throwPy();
        }
        e->id = id ? toInt64(id) : -1;
        Ref components = Ref::checked(PyDict_New());
        for (Py_ssize_t i = 1; i < nargs; ++i) {
            PyObject* c = PyTuple_GET_ITEM(args, i);
            check(PyDict_SetItem(components, reinterpret_cast<PyObject*>(Py_TYPE(c)), c));
        }
        setRef(e->components, components);
        setRef(e->ecs, Py_None);
        return 0;
    });
}

void membershipChanged(EntityObject* e) {
    if (!e->ecs || e->ecs == Py_None) return;
    Ref ecs = Ref::borrow(e->ecs);
    callMethod(intern("_updateEntityMembership"), ecs.get(), reinterpret_cast<PyObject*>(e));
}

PyObject* Entity_addComponent(PyObject* self, PyObject* component) {
    return guard([&] {
        EntityObject* e = asEntity(self);
        PyObject* components = componentsOf(e);
        PyObject* key = reinterpret_cast<PyObject*>(Py_TYPE(component));
        if (check(PySequence_Contains(components, key))) return none();
        check(PyObject_SetItem(components, key, component));
        membershipChanged(e);
        return none();
    });
}

PyObject* removeByType(EntityObject* e, PyObject* key) {
    PyObject* components = componentsOf(e);
    if (!check(PySequence_Contains(components, key))) return none();
    check(PyObject_DelItem(components, key));
    membershipChanged(e);
    return none();
}

PyObject* Entity_removeComponent(PyObject* self, PyObject* component) {
    return guard([&] { return removeByType(asEntity(self), reinterpret_cast<PyObject*>(Py_TYPE(component))); });
}

PyObject* Entity_removeComponentType(PyObject* self, PyObject* type) {
    return guard([&] { return removeByType(asEntity(self), type); });
}

#ifdef BV_DICT_VERSIONS
// The cached component of class `type`, or null when the cache cannot answer.
PyObject* cachedComponent(EntityObject* e, PyObject* type) {
    const ComponentCache& f = e->found;
    PyObject* components = e->components;
    if (f.dict != components || !components || dictVersion(components) != f.dictVersion) return nullptr;
    for (int i = 0; i < ComponentCache::kSize; ++i)
        if (f.types[i] == type) return f.components[i];
    return nullptr;
}

// Remembers that the dict, at its current version, maps `type` to `component`, when identity alone
// decided that.
void cacheComponent(EntityObject* e, PyObject* components, PyObject* type, PyObject* component) {
    ComponentCache& f = e->found;
    if (!plainClass(type)) return;
    if (f.dict != components || dictVersion(components) != f.dictVersion) {
        if (!plainKeys(components)) return;
        f = {components, dictVersion(components), {}, {}, 0};
    }
    f.types[f.next] = type;
    f.components[f.next] = component;
    f.next = (f.next + 1) % ComponentCache::kSize;
}
#endif

PyObject* Entity_getComponent(PyObject* self, PyObject* type) {
#ifdef BV_DICT_VERSIONS
    if (PyObject* c = cachedComponent(asEntity(self), type)) return Py_NewRef(c);
#endif
    return guard([&] {
        EntityObject* e = asEntity(self);
        PyObject* components = componentsOf(e);
        if (PyDict_CheckExact(components)) {
            Ref keep = Ref::borrow(components);  // a key's __eq__ may replace the dict
            PyObject* c = PyDict_GetItemWithError(components, type);
            if (!c && PyErr_Occurred()) throwPy();
#ifdef BV_DICT_VERSIONS
            if (c && e->components == components) cacheComponent(e, components, type, c);
#endif
            return newRefOrNone(c);
        }
        Ref getter = Ref::checked(PyObject_GetAttrString(components, "get"));
        return callObject(getter.get(), type).release();
    });
}

PyObject* Entity_getComponents(PyObject* self, PyObject*) {
    return guard([&] { return callMethod(intern("values"), componentsOf(asEntity(self))).release(); });
}

PyMethodDef methods[] = {
    BV_METHOD_ARG("addComponent", Entity_addComponent, "component", "Adds a component unless one of its exact class is present."),
    BV_METHOD_ARG("removeComponent", Entity_removeComponent, "component", "Removes the component stored under type(component)."),
    BV_METHOD_ARG("removeComponentType", Entity_removeComponentType, "componentType", "Removes the component stored under a class."),
    BV_METHOD_ARG("getComponent", Entity_getComponent, "componentType", "The component stored under exactly this class, or None."),
    BV_METHOD_NOARGS("getComponents", Entity_getComponents, "A live view of all components."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    ro<&EntityObject::id>("id"),
    rwNoted<&EntityObject::components>("_components"),
    rwTyped<&EntityObject::ecs, &EcsType>("_ecs"),
    rw<&EntityObject::id>("_id"),
    propsEnd(),
};

ClassRegistration reg("Entity", [] {
    ClassSpec spec = specFor<EntityObject>("Entity");
    spec.doc = "An id and a set of components, at most one per component class.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Entity_init;
    return EntityType = createType(spec);
});

}  // namespace

}  // namespace bv
