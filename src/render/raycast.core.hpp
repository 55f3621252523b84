// Ray casting against the level grid: one ray from a point until it meets a wall face.
#pragma once
#include <cstdint>

#include "geometry/vec.core.hpp"
#include "level/grid.core.hpp"

namespace bv {

// Result of one ray. When the ray left the level, `invalid` is 1, `length` infinite (nothing
// compares as hidden behind it) and every other field 0.
struct Hit {
    int8_t cell;                // block type of the cell hit; 0 when the ray left the level
    _internal_Vec2 pos;         // where the wall was met
    _internal_Vec2 rayDir;      // set by the caller, not by castRay
    int vert;                   // 1: the face lies on a line of constant y
    int invalid;                // 1: the ray left the level
    int textureIndex;           // byte `cardinalDirection` of the hit cell
    double length;              // distance from the start point to `pos`
    int cardinalDirection;      // the face: level::TEXTURE_NORTH, _EAST, _SOUTH or _WEST
    int cellX, cellY;
    _internal_Vec2 normal;      // unit normal of the face, out of the solid part
};

// Follows the ray from `pos` along `dir` through the grid.
// A zero component of `dir` is replaced by 1e-14 in the caller's vector. A start point outside
// the grid (or a non-finite start or direction) ends at once as a ray that left the level.
void castRay(const level::GridView& grid, const _internal_Vec2* pos, _internal_Vec2* dir, Hit* hit);

}  // namespace bv
