#include "physics/movement.core.hpp"

#include "render/raycast.core.hpp"

#include <cmath>

namespace bv::physics {

namespace {
constexpr double kRestImpulse = 1e-4;  // shorter impulses are cleared
constexpr double kDiagonal = 0.707107;

double length(Point p) { return std::sqrt(p.x * p.x + p.y * p.y); }
}  // namespace

const Point kProbeDirections[kProbeCount] = {
    {0, -1}, {1, 0}, {0, 1}, {-1, 0}, {kDiagonal, kDiagonal}, {-kDiagonal, -kDiagonal}, {-kDiagonal, kDiagonal},
    {kDiagonal, -kDiagonal},
};

FrictionStep applyFriction(Point impulse, double friction, double timeStep) {
    double current = length(impulse);
    if (!(current > kRestImpulse)) return {{0, 0}, true};
    double amount = std::fabs(friction) * timeStep;
    Point diff{impulse.x / current * amount, impulse.y / current * amount};
    if (length(diff) > current) return {{0, 0}, true};
    return {{impulse.x - diff.x, impulse.y - diff.y}, false};
}

bool pushOutOfWall(const GridView& grid, Point pos, int probe, double radius, Point& newPos) {
    if (!grid.cells) return false;  // castRay itself treats a start outside the grid as leaving the level
    Point probeDir = kProbeDirections[probe];
    Point dir = probeDir;  // castRay may rewrite a zero component
    Hit hit;
    castRay(grid.cells, grid.width, grid.height, &pos, &dir, &hit);
    if (hit.invalid || !(hit.length < radius)) return false;
    double dx = hit.pos.x - pos.x, dy = hit.pos.y - pos.y;
    double depth = radius - std::sqrt(dx * dx + dy * dy);
    newPos.x -= probeDir.x * depth;  // along the wall normal, the reversed probe
    newPos.y -= probeDir.y * depth;
    return true;
}

}  // namespace bv::physics
