// Plain movement steps: friction on the impulse and the wall probes that push a body out of walls.
#pragma once
#include "level/grid.core.hpp"
#include "physics/collision.core.hpp"

#include <cstdint>

namespace bv::physics {

// The impulse after one frame of friction: it loses |friction| × timeStep of length without changing
// direction; `cleared` when it reached zero (or was already below the rest threshold).
struct FrictionStep {
    Point impulse;
    bool cleared;
};
FrictionStep applyFriction(Point impulse, double friction, double timeStep);

// Directions of the eight wall probes: north, east, south, west, then the four diagonals.
inline constexpr int kProbeCount = 8;
extern const Point kProbeDirections[kProbeCount];

using level::GridView;

// Casts probe `probe` from `pos` (the position before the move). When it meets a wall closer than
// `radius`, moves `newPos` away from the wall by the penetration depth and returns true. A start
// outside the grid, or a probe that leaves the level without meeting a wall, is no contact.
bool pushOutOfWall(const GridView& grid, Point pos, int probe, double radius, Point& newPos);

// False when no probe from `pos` can meet a wall closer than `radius`: every cell around the circle
// (with a cell to spare on each side) is empty, or the probes cannot start at all.
bool wallWithin(const GridView& grid, Point pos, double radius);

}  // namespace bv::physics
