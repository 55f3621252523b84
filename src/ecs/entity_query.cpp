// EntityQuery: the lazy iterator of Ecs.getEntities(*types) over the entity list.
#include "ecs/entity_query.hpp"

#include "common/dict_version.hpp"
#include "common/klass.hpp"
#include "ecs/ecs.hpp"

#include <vector>

namespace bv {

namespace {

PyTypeObject* EntityQueryType;

// The last entity type found plain, valid while its version tag (any change to it or its bases
// resets the tag) holds.
PyTypeObject* knownPlainType = nullptr;
unsigned int knownPlainTag = 0;

bool isKnownPlainType(PyTypeObject* type) {
    return type == knownPlainType && knownPlainTag != 0 && type->tp_version_tag == knownPlainTag &&
           PyType_HasFeature(type, Py_TPFLAGS_VALID_VERSION_TAG);
}

struct EntityQueryObject {
    PyObject_HEAD
    PyObject* entities;  // the list walked; null once exhausted (an exhausted query stays exhausted)
    PyObject* types;     // tuple of classes
    Py_ssize_t next;     // index of the next entity to look at
    uint32_t query;      // number of the memoised query, 0 when its classes are not memoised

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

// --- memos --------------------------------------------------------------------------------------
// An entity remembers, for the last queries that reached it, whether its dict held their classes. A
// memo is used only while the dict is the same object at the same version (every change to a dict
// gives it a new version, never used before); it is written only when the answer came from identity
// alone: the classes and the dict's keys all hash and compare as plain classes, so no Python code
// could answer differently for the same dict.


// The number of the query over these classes (1, 2, ...), or 0 when they are not memoised.
uint32_t queryNumber(PyObject* types) {
#ifdef BV_DICT_VERSIONS
    // The class tuples, by number - 1: held for the life of the process, like interned names.
    static auto* known = new std::vector<PyObject*>;
    constexpr size_t kMaxQueries = 256;
    Py_ssize_t n = PyTuple_GET_SIZE(types);
    for (Py_ssize_t i = 0; i < n; ++i)
        if (!plainClass(PyTuple_GET_ITEM(types, i))) return 0;
    for (size_t q = 0; q < known->size(); ++q) {
        PyObject* k = (*known)[q];
        if (PyTuple_GET_SIZE(k) != n) continue;
        bool same = true;
        for (Py_ssize_t i = 0; i < n && same; ++i) same = PyTuple_GET_ITEM(k, i) == PyTuple_GET_ITEM(types, i);
        if (same) return uint32_t(q + 1);
    }
    if (known->size() == kMaxQueries) return 0;
    known->push_back(Py_NewRef(types));
    return uint32_t(known->size());
#else
    (void)types;
    return 0;
#endif
}

#ifdef BV_DICT_VERSIONS
// The remembered answer of query `query` for an entity of the last type found plain whose dict is
// unchanged since: 1 or 0, or -1 when there is none. Touches no reference and calls nothing.
int memoAnswer(PyObject* entity, uint32_t query) {
    if (!isKnownPlainType(Py_TYPE(entity))) return -1;
    auto* e = reinterpret_cast<EntityObject*>(entity);
    PyObject* components = e->components;
    if (!components || !PyDict_CheckExact(components)) return -1;
    uint64_t version = dictVersion(components);
    for (const QueryMemo& m : e->memos)
        if (m.query == query && m.dictVersion == version && m.dict == components) return m.match;
    return -1;
}
#endif

bool hasAll(PyObject* entity, PyObject* types, uint32_t query) {
    if (!isPlainEntity(entity)) return hasAllGeneric(entity, types);
    auto* e = reinterpret_cast<EntityObject*>(entity);
    PyObject* components = e->components;
    if (!components || !PyDict_CheckExact(components)) return hasAllGeneric(entity, types);
#ifdef BV_DICT_VERSIONS
    if (query) {
        uint64_t version = dictVersion(components);
        for (const QueryMemo& m : e->memos)
            if (m.query == query && m.dict == components && m.dictVersion == version) return m.match;
    }
#endif
    Ref keep = Ref::borrow(components);  // a key's __eq__ may replace the dict
    bool match = true;
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(types) && match; ++i)
        match = check(PyDict_Contains(components, PyTuple_GET_ITEM(types, i)));
#ifdef BV_DICT_VERSIONS
    if (query && e->components == components && plainKeys(components)) {
        e->memos[1] = e->memos[0];
        e->memos[0] = {components, dictVersion(components), query, match};
    }
#endif
    return match;
}

PyObject* EntityQuery_next(PyObject* self) {
    auto* q = reinterpret_cast<EntityQueryObject*>(self);
#ifdef BV_DICT_VERSIONS
    // Entities with a remembered answer first: no reference taken, nothing that could run Python code.
    if (q->entities && q->query) {
        PyObject* list = q->entities;
        while (q->next < PyList_GET_SIZE(list)) {
            PyObject* entity = PyList_GET_ITEM(list, q->next);
            int known = memoAnswer(entity, q->query);
            if (known < 0) break;
            ++q->next;
            if (known) return Py_NewRef(entity);
        }
    }
#endif
    return guard([&]() -> PyObject* {
        while (q->entities && q->next < PyList_GET_SIZE(q->entities)) {
            Ref entity = Ref::borrow(PyList_GET_ITEM(q->entities, q->next));
            ++q->next;
            if (hasAll(entity, q->types, q->query)) return entity.release();
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

bool plainClass(PyObject* o) {
    PyTypeObject* meta = Py_TYPE(o);
    return PyType_Check(o) && meta->tp_hash == PyType_Type.tp_hash && meta->tp_richcompare == PyType_Type.tp_richcompare;
}

bool plainKeys(PyObject* dict) {
    Py_ssize_t pos = 0;
    PyObject *key, *value;
    while (PyDict_Next(dict, &pos, &key, &value))
        if (!plainClass(key)) return false;
    return true;
}

bool isPlainEntity(PyObject* entity) {
    PyTypeObject* type = Py_TYPE(entity);
    if (isKnownPlainType(type)) return true;
    if (!PyType_IsSubtype(type, EntityType) || type->tp_getattro != PyObject_GenericGetAttr) return false;
    static PyObject* name = intern("_components");
    static PyObject* descr = _PyType_Lookup(EntityType, name);
    if (_PyType_Lookup(type, name) != descr) return false;
    if (PyType_HasFeature(type, Py_TPFLAGS_VALID_VERSION_TAG)) {
        knownPlainType = type;
        knownPlainTag = type->tp_version_tag;
    }
    return true;
}

PyObject* newEntityQuery(PyObject* entities, PyObject* types) {
    PyObject* self = PyType_GenericAlloc(queryType(), 0);
    if (!self) throwPy();
    auto* q = reinterpret_cast<EntityQueryObject*>(self);
    q->entities = Py_NewRef(entities);
    q->types = Py_NewRef(types);
    q->query = queryNumber(types);
    return self;
}

}  // namespace bv
