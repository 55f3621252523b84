// System: the base class of the Ecs systems, with the entities that carry its components.
#include "common/identity_lists.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "ecs/ecs.hpp"
#include "ecs/system_loop.py.hpp"

namespace bv {

PyTypeObject* AbstractSystemType;

namespace system_methods {
Overridable update("update"), updateEntity("_updateEntity"), interestedIn("_interestedIn"),
    updateEntityMembership("_updateEntityMembership"), removeEntity("_removeEntity"), setEcs("_setEcs"),
    setEngine("_setEngine");
}

namespace {

SystemObject* asSystem(PyObject* o) { return reinterpret_cast<SystemObject*>(o); }

PyObject* membersOf(SystemObject* s) {
    if (!s->entities) {
        Ref l = Ref::checked(PyList_New(0));
        setRef(s->entities, l);
    }
    return s->entities;
}

int System_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        if (kwargs && PyDict_GET_SIZE(kwargs)) {
            PyErr_SetString(PyExc_TypeError, "AbstractSystem() takes no keyword arguments");
            throwPy();
        }
        systemInit(asSystem(self), args);
        return 0;
    });
}

bool hasInterestedComponents(SystemObject* s, PyObject* entity) {
    PyObject* types = s->interestedComponentTypes;
    if (!types || types == Py_None) return true;
    Ref components = PyObject_TypeCheck(entity, EntityType)
                         ? Ref::borrow(reinterpret_cast<EntityObject*>(entity)->components)
                         : Ref::checked(PyObject_GetAttrString(entity, "_components"));
    if (!components || components.get() == Py_None) {
        PyErr_SetString(PyExc_TypeError, "argument of type 'NoneType' is not iterable");
        throwPy();
    }
    Ref fast = Ref::checked(PySequence_Fast(types, "_interestedComponentTypes must be a sequence"));
    for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(fast.get()); ++i)
        if (!check(PySequence_Contains(components, PySequence_Fast_GET_ITEM(fast.get(), i)))) return false;
    return true;
}

PyObject* System_interestedIn(PyObject* self, PyObject* entity) {
    return guard([&] { return boolean(hasInterestedComponents(asSystem(self), entity)); });
}

PyObject* System_removeEntity(PyObject* self, PyObject* entity) {
    return guard([&] {
        PyObject* members = membersOf(asSystem(self));
        removeIfContained(members, entity);
        return none();
    });
}

PyObject* System_updateEntityMembership(PyObject* self, PyObject* entity) {
    return guard([&] {
        SystemObject* s = asSystem(self);
        bool interested = system_methods::interestedIn.isNative(self)
                              ? hasInterestedComponents(s, entity)
                              : truth(system_methods::interestedIn.call(self, entity));
        PyObject* members = membersOf(s);
        if (sequenceContains(members, entity)) {
            if (!interested) removeItem(members, entity);
        } else if (interested) {
            callMethod(intern("append"), members, entity);
        }
        return none();
    });
}

PyObject* System_updateEntity(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("_updateEntity", 2, "entity", "timeStep");
        (void)a;
        return none();
    });
}

PyObject* System_update(PyObject* self, PyObject* timeStep) {
    return guard([&] {
        systemUpdate(self, timeStep);
        return none();
    });
}

PyObject* System_setEngine(PyObject* self, PyObject* engine) {
    return guard([&] {
        checkArg(engine, EngineType, "engine");
        setRef(asSystem(self)->engine, engine);
        return none();
    });
}

PyObject* System_getEngine(PyObject* self, PyObject*) { return newRefOrNone(asSystem(self)->engine); }

PyObject* System_setEcs(PyObject* self, PyObject* ecs) {
    return guard([&] {
        checkArg(ecs, EcsType, "ecs");
        setRef(asSystem(self)->ecs, ecs);
        return none();
    });
}

PyObject* System_getEcs(PyObject* self, PyObject*) { return newRefOrNone(asSystem(self)->ecs); }

PyMethodDef methods[] = {
    BV_METHOD_ARG("_interestedIn", System_interestedIn, "entity", "True when the entity has every interested component class."),
    BV_METHOD_ARG("_removeEntity", System_removeEntity, "entity", nullptr),
    BV_METHOD_ARG("_updateEntityMembership", System_updateEntityMembership, "entity", nullptr),
    BV_METHOD("_updateEntity", System_updateEntity, "Processes one entity; does nothing in the base class."),
    BV_METHOD_ARG("update", System_update, "timeStep", "Calls _updateEntity for every member entity."),
    BV_METHOD_ARG("_setEngine", System_setEngine, "engine", nullptr),
    BV_METHOD_NOARGS("getEngine", System_getEngine, "The engine the system runs under, or None."),
    BV_METHOD_ARG("_setEcs", System_setEcs, "ecs", nullptr),
    BV_METHOD_NOARGS("getEcs", System_getEcs, "The Ecs the system belongs to, or None."),
    BV_METHODS_END,
};

PyObject* System_getEntities(PyObject* self, void*) {
    return guard([&] { return Py_NewRef(membersOf(asSystem(self))); });
}

PyGetSetDef props[] = {
    computed("entities", System_getEntities, "The member entities."),
    rw<&SystemObject::interestedComponentTypes>("_interestedComponentTypes"),
    rw<&SystemObject::entities>("_entities"),
    rwTyped<&SystemObject::ecs, &EcsType>("_ecs"),
    rwTyped<&SystemObject::engine, &EngineType>("_engine"),
    propsEnd(),
};

// _updateEach(system, members, timeStep) of system_loop.py, kept here and gone from the module.
PyObject* updateEach;

StartupStep systemLoop(Startup::SystemLoop, [](PyObject* module) {
    runInModule(embedded::ecs_system_loop_py);
    PyObject* globals = PyModule_GetDict(module);
    updateEach = Py_NewRef(check(PyDict_GetItemString(globals, "_updateEach")));
    check(PyDict_DelItemString(globals, "_updateEach"));
});

ClassRegistration reg("AbstractSystem", [] {
    ClassSpec spec = specFor<SystemObject>("AbstractSystem");
    spec.doc = "Base of all systems: processes the entities that have all of its component classes.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = System_init;
    AbstractSystemType = createType(spec);
    using namespace system_methods;
    for (Overridable* m : {&update, &updateEntity, &interestedIn, &updateEntityMembership, &removeEntity, &setEcs,
                           &setEngine})
        m->bind(AbstractSystemType);
    return AbstractSystemType;
});

}  // namespace

void systemInit(SystemObject* self, PyObject* types) {
    Ref tuple = Ref::checked(PySequence_Tuple(types));
    Ref entities = Ref::checked(PyList_New(0));
    setRef(self->interestedComponentTypes, tuple);
    setRef(self->entities, entities);
    setRef(self->ecs, Py_None);
    setRef(self->engine, Py_None);
}

void systemUpdate(PyObject* system, PyObject* timeStep) {
    Ref members = snapshot(membersOf(asSystem(system)));
    if (system_methods::updateEntity.isNative(system)) return;  // the base _updateEntity does nothing
    callObject(updateEach, system, members.get(), timeStep);
}

}  // namespace bv
