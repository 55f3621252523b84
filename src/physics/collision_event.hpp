// CollisionEvent: a contact of a moving entity with another body or with a wall (entity2 None).
#pragma once
#include "input/events.hpp"

namespace bv {

struct CollisionEventObject : EventObject {
    PyObject* entity1;
    PyObject* entity2;

    void refs(auto&& f) {
        f(entity1);
        f(entity2);
    }
};

extern PyTypeObject* CollisionEventType;

}  // namespace bv
