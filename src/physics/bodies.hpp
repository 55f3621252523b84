// Native access to the components that the physics systems read on every frame.
#pragma once
#include "ecs/components.hpp"
#include "physics/collision.core.hpp"

namespace bv::physics {

// The component stored under exactly `type` (an instance of it, else TypeError), or an empty Ref when
// the entity has none. Reads the component dict of an `Entity` directly; other objects are asked
// through `getComponent`.
Ref componentOf(PyObject* entity, PyTypeObject* type);
// Like componentOf, but an absent component raises TypeError too.
Ref requireComponent(PyObject* entity, PyTypeObject* type);

// The Vector2 held in a component field (borrowed); TypeError naming `what` for anything else.
Vector2Object* vectorField(PyObject* field, const char* what);
inline Point pointOf(const Vector2Object* v) { return {v->x, v->y}; }

}  // namespace bv::physics
