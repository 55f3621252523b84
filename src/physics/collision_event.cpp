// CollisionEvent: construction and properties.
#include "physics/collision_event.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ecs/ecs.hpp"

namespace bv {

PyTypeObject* CollisionEventType;

namespace {

int CollisionEvent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("CollisionEvent", 2, "entity1", "entity2");
        checkArg(a[0], EntityType, "entity1");
        checkArg(a[1], EntityType, "entity2");
        auto* e = reinterpret_cast<CollisionEventObject*>(self);
        e->isAlreadyHandled = false;
        setRef(e->entity1, a[0]);
        setRef(e->entity2, a[1]);
        return 0;
    });
}

PyGetSetDef props[] = {
    ro<&CollisionEventObject::entity1>("entity1", "The entity that moved."),
    ro<&CollisionEventObject::entity2>("entity2", "The body it touched, or None for a wall of the level."),
    rwTyped<&CollisionEventObject::entity1, &EntityType>("_entity1"),
    rwTyped<&CollisionEventObject::entity2, &EntityType>("_entity2"),
    propsEnd(),
};

ClassRegistration reg("CollisionEvent", [] {
    ClassSpec spec = specFor<CollisionEventObject>("CollisionEvent", EventType);
    spec.doc = "Fired when a moving entity touches another collision body or a wall.";
    spec.getset = props;
    spec.init = CollisionEvent_init;
    return CollisionEventType = createType(spec);
});

}  // namespace

}  // namespace bv
