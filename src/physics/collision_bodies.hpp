// CollisionBodySystem: the list of all entities with a position and a collision circle.
#pragma once
#include "ecs/ecs.hpp"

namespace bv {

extern PyTypeObject* CollisionBodySystemType;

}  // namespace bv
