// Camera-relative ordering of a raycasting renderer's sprite entities, shared by the sprite pass
// and picking.
#pragma once
#include <vector>

#include "common/py.hpp"
#include "ecs/components.hpp"
#include "ecs/sprite.hpp"
#include "geometry/vec.core.hpp"

namespace bv {

struct SpriteEntity {
    PyObject* entity;  // borrowed from the renderer's list
    SpriteComponentObject* sprite;
    Vector2Object* pos;
};

// The matrix that turns a world offset from the camera into (depth along the view direction,
// side to the right of it).
_internal_Matrix2_2 viewInverse(const Vector2Object* camDir);

// Writes every sprite entity's `_dist` (and `_angleToCam` when `withAngles`) from the camera
// position, sorts `entities` in place far to near and returns the entities that can be drawn
// (a position and a sprite component), in that order. Entries stay valid while the list is not
// changed.
std::vector<SpriteEntity> sortFarToNear(PyObject* entities, const Vector2Object* camPos, bool withAngles);

}  // namespace bv
