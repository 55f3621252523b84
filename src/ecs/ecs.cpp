// Ecs: its entities and systems, their membership, and the per-frame update of every system.
#include "common/identity_lists.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "ecs/ecs.hpp"
#include "ecs/entity_query.hpp"

namespace bv {

PyTypeObject* EcsType;

namespace {

EcsObject* asEcs(PyObject* o) { return reinterpret_cast<EcsObject*>(o); }

// The Ecs's lists, created on first use when __init__ was skipped.
PyObject* listField(PyObject*& field) {
    if (!field) {
        Ref l = Ref::checked(PyList_New(0));
        setRef(field, l);
    }
    return field;
}
PyObject* systemsOf(PyObject* ecs) { return listField(asEcs(ecs)->systems); }
PyObject* entitiesOf(PyObject* ecs) { return listField(asEcs(ecs)->entities); }

int Ecs_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Ecs", 1, "engine");
        checkArg(a[0], EngineType, "engine");
        EcsObject* e = asEcs(self);
        Ref systems = Ref::checked(PyList_New(0)), entities = Ref::checked(PyList_New(0));
        setRef(e->systems, systems);
        setRef(e->entities, entities);
        setRef(e->engine, a[0]);
        return 0;
    });
}

void checkEntity(PyObject* entity) { checkArg(entity, EntityType, "entity", false); }
void checkSystem(PyObject* system) { checkArg(system, AbstractSystemType, "system", false); }

void updateMembership(PyObject* system, PyObject* entity) {
    system_methods::updateEntityMembership.call(system, entity);
}

PyObject* Ecs_update(PyObject* self, PyObject* timeStep) {
    return guard([&] {
        ecsUpdate(self, timeStep);
        return none();
    });
}

PyObject* Ecs_addEntity(PyObject* self, PyObject* entity) {
    return guard([&] {
        checkEntity(entity);
        PyObject* entities = entitiesOf(self);
        if (sequenceContains(entities, entity)) return none();
        Ref keep = Ref::borrow(entity);
        EntityObject* e = reinterpret_cast<EntityObject*>(entity);
        if (e->id == -1) e->id = int64_t(reinterpret_cast<intptr_t>(entity));
        Ref systems = snapshot(systemsOf(self));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(systems.get()); ++i)
            updateMembership(PyList_GET_ITEM(systems.get(), i), entity);
        check(PyList_Check(entities) ? PyList_Append(entities, entity)
                                     : (callMethod(intern("append"), entities, entity), 0));
        setRef(e->ecs, self);
        return none();
    });
}

PyObject* Ecs_removeEntity(PyObject* self, PyObject* entity) {
    return guard([&] {
        checkEntity(entity);
        PyObject* entities = entitiesOf(self);
        if (!sequenceContains(entities, entity)) return none();
        Ref keep = Ref::borrow(entity);
        Ref systems = snapshot(systemsOf(self));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(systems.get()); ++i)
            system_methods::removeEntity.call(PyList_GET_ITEM(systems.get(), i), entity);
        removeItem(entitiesOf(self), entity);
        setRef(reinterpret_cast<EntityObject*>(entity)->ecs, Py_None);
        return none();
    });
}

// filter() predicate of getEntities(*types), bound to the tuple of types: whether every type is in
// the entity's _components.
PyObject* hasAllComponents(PyObject* types, PyObject* entity) {
    return guard([&] {
        Ref components = Ref::checked(PyObject_GetAttr(entity, intern("_components")));
        for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(types); ++i)
            if (!check(PySequence_Contains(components, PyTuple_GET_ITEM(types, i)))) return Py_NewRef(Py_False);
        return Py_NewRef(Py_True);
    });
}
PyMethodDef hasAllComponentsDef = {"hasAllComponents", hasAllComponents, METH_O, nullptr};

PyObject* Ecs_getEntities(PyObject* self, PyObject* args) {
    return guard([&]() -> PyObject* {
        PyObject* entities = entitiesOf(self);
        if (PyTuple_GET_SIZE(args) == 0) return Py_NewRef(entities);
        if (PyList_CheckExact(entities)) return newEntityQuery(entities, args);
        Ref predicate = Ref::checked(PyCFunction_New(&hasAllComponentsDef, args));
        return PyObject_CallFunctionObjArgs(reinterpret_cast<PyObject*>(&PyFilter_Type), predicate.get(), entities,
                                            nullptr);
    });
}

PyObject* Ecs_getEntityById(PyObject* self, PyObject* id) {
    return guard([&]() -> PyObject* {
        Ref entities = snapshot(entitiesOf(self));
        static PyObject* idName = intern("id");
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(entities.get()); ++i) {
            PyObject* entity = PyList_GET_ITEM(entities.get(), i);
            Ref eid = Ref::checked(PyObject_GetAttr(entity, idName));
            if (check(PyObject_RichCompareBool(eid, id, Py_EQ))) return Py_NewRef(entity);
        }
        return none();
    });
}

PyObject* Ecs_getSystems(PyObject* self, PyObject*) {
    return guard([&] { return Py_NewRef(systemsOf(self)); });
}

PyObject* Ecs_removeAllEntities(PyObject* self, PyObject*) {
    return guard([&] {
        Ref entities = snapshot(entitiesOf(self));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(entities.get()); ++i)
            callMethod(intern("removeEntity"), self, PyList_GET_ITEM(entities.get(), i));
        return none();
    });
}

PyObject* Ecs_addSystem(PyObject* self, PyObject* system) {
    return guard([&] {
        checkSystem(system);
        PyObject* systems = systemsOf(self);
        Ref keep = Ref::borrow(system);
        if (!check(PySequence_Contains(systems, system))) callMethod(intern("append"), systems, system);
        system_methods::setEcs.call(system, self);
        system_methods::setEngine.call(system, orNone(asEcs(self)->engine));
        Ref entities = snapshot(entitiesOf(self));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(entities.get()); ++i)
            updateMembership(system, PyList_GET_ITEM(entities.get(), i));
        return none();
    });
}

PyObject* Ecs_removeSystem(PyObject* self, PyObject* system) {
    return guard([&] {
        checkSystem(system);
        PyObject* systems = systemsOf(self);
        if (!check(PySequence_Contains(systems, system))) return none();
        Ref keep = Ref::borrow(system);
        callMethod(intern("remove"), systems, system);
        PyObject* members = reinterpret_cast<SystemObject*>(system)->entities;
        if (members && PyList_Check(members)) check(PyList_SetSlice(members, 0, PyList_GET_SIZE(members), nullptr));
        system_methods::setEcs.call(system, Py_None);
        system_methods::setEngine.call(system, Py_None);
        return none();
    });
}

PyObject* Ecs_updateEntityMembership(PyObject* self, PyObject* entity) {
    return guard([&] {
        Ref systems = snapshot(systemsOf(self));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(systems.get()); ++i)
            updateMembership(PyList_GET_ITEM(systems.get(), i), entity);
        return none();
    });
}

PyMethodDef methods[] = {
    BV_METHOD_ARG("update", Ecs_update, "timeStep", "Updates every system, in the order they were added."),
    BV_METHOD_ARG("addEntity", Ecs_addEntity, "entity", "Adds an entity and makes it a member of every system interested in it."),
    BV_METHOD_ARG("removeEntity", Ecs_removeEntity, "entity", "Removes an entity from the Ecs and from its systems."),
    {"getEntities", Ecs_getEntities, METH_VARARGS,
     "The live entity list, or a lazy filter over the entities having all given component classes."},
    BV_METHOD_ARG("getEntityById", Ecs_getEntityById, "id", "The first entity whose id equals id, or None."),
    BV_METHOD_NOARGS("getSystems", Ecs_getSystems, "The live list of systems, in update order."),
    BV_METHOD_NOARGS("removeAllEntities", Ecs_removeAllEntities, "Removes every entity, in list order."),
    BV_METHOD_ARG("addSystem", Ecs_addSystem, "system", "Adds a system and gives it the entities it is interested in."),
    BV_METHOD_ARG("removeSystem", Ecs_removeSystem, "system", "Removes a system; it keeps no entities."),
    BV_METHOD_ARG("_updateEntityMembership", Ecs_updateEntityMembership, "entity", nullptr),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    rw<&EcsObject::systems>("_systems"),
    rw<&EcsObject::entities>("_entities"),
    rwTyped<&EcsObject::engine, &EngineType>("_engine"),
    propsEnd(),
};

ClassRegistration reg("Ecs", [] {
    ClassSpec spec = specFor<EcsObject>("Ecs");
    spec.doc = "The entity-component system: entities, and the systems updated once per frame.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Ecs_init;
    return EcsType = createType(spec);
});

}  // namespace

Ref snapshot(PyObject* seq) {
    if (PyList_CheckExact(seq)) return Ref::checked(PyList_GetSlice(seq, 0, PyList_GET_SIZE(seq)));
    return Ref::checked(PySequence_List(seq));
}

void ecsUpdate(PyObject* ecs, PyObject* timeStep) {
    if (!PyObject_TypeCheck(ecs, EcsType)) {
        callMethod(intern("update"), ecs, timeStep);
        return;
    }
    Ref systems = snapshot(systemsOf(ecs));
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(systems.get()); ++i) {
        PyObject* system = PyList_GET_ITEM(systems.get(), i);
        if (system_methods::update.isNative(system))
            systemUpdate(system, timeStep);
        else
            system_methods::update.call(system, timeStep);
    }
}

}  // namespace bv
