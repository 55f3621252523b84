// Entities, the Ecs and the system base class.
#pragma once
#include "common/overridable.hpp"

namespace bv {

// What a query last found for an entity: whether its component dict, at one version of that dict,
// holds every class of query `query` (see entity_query.cpp). Dict versions are never reused, so a
// memo cannot outlive the state it describes.
struct QueryMemo {
    const void* dict;
    uint64_t dictVersion;
    uint32_t query;  // 0: empty
    bool match;
};

// The components that getComponent last found, by class. Valid while the dict is the same object at
// the same version and every key compares as a plain class (by identity), so that no Python code
// could have answered differently; the dict holds the classes and components it names.
struct ComponentCache {
    static constexpr int kSize = 4;
    const void* dict;
    uint64_t dictVersion;
    PyObject* types[kSize];       // borrowed from the dict's keys; unused slots null
    PyObject* components[kSize];  // borrowed from the dict's values
    int next;                     // the slot filled next
};

struct EntityObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* components;  // dict: exact component class -> component
    PyObject* ecs;
    int64_t id;
    QueryMemo memos[2];
    ComponentCache found;

    void construct() { id = -1; }
    void refs(auto&& f) {
        f(components);
        f(ecs);
    }
};

struct EcsObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* systems;
    PyObject* entities;
    PyObject* engine;

    void refs(auto&& f) {
        f(systems);
        f(entities);
        f(engine);
    }
};

struct SystemObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* interestedComponentTypes;  // tuple of classes
    PyObject* entities;                  // list of member entities
    PyObject* ecs;
    PyObject* engine;

    void refs(auto&& f) {
        f(interestedComponentTypes);
        f(entities);
        f(ecs);
        f(engine);
    }
};

extern PyTypeObject* EntityType;
extern PyTypeObject* EcsType;
extern PyTypeObject* AbstractSystemType;

// System methods found by lookup (Python subclasses may override them).
namespace system_methods {
extern Overridable update, updateEntity, interestedIn, updateEntityMembership, removeEntity, setEcs, setEngine;
}

// Ecs.update(timeStep): updates every system of a snapshot of the system list.
void ecsUpdate(PyObject* ecs, PyObject* timeStep);
// AbstractSystem.update's native body: _updateEntity for each entity of a snapshot.
void systemUpdate(PyObject* system, PyObject* timeStep);
// AbstractSystem.__init__ body, shared with subclasses: stores the interested component types.
void systemInit(SystemObject* self, PyObject* types);
// A list copy of a sequence (the snapshot used by every iteration that may mutate the original).
Ref snapshot(PyObject* seq);

}  // namespace bv
