// Friction on the impulse and the wall probes that push a body out of walls.
#include "physics/movement.core.hpp"

#include "render/raycast.core.hpp"

#include <algorithm>
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
    castRay(grid, &pos, &dir, &hit);
    if (hit.invalid || !(hit.length < radius)) return false;
    double dx = hit.pos.x - pos.x, dy = hit.pos.y - pos.y;
    double depth = radius - std::sqrt(dx * dx + dy * dy);
    newPos.x -= probeDir.x * depth;  // along the wall normal, the reversed probe
    newPos.y -= probeDir.y * depth;
    return true;
}

bool wallWithin(const GridView& grid, Point pos, double radius) {
    // Probes start only inside the grid and report walls strictly closer than the radius.
    if (!grid.cells || !(radius > 0)) return false;
    if (!(pos.x >= 0 && pos.x < grid.width && pos.y >= 0 && pos.y < grid.height)) return false;
    // A hit lies in (or, on the outer rows, just beside) the closed square of a non-empty cell.
    auto first = [](double v) { return std::max(0.0, std::floor(v) - 1); };
    auto last = [](double v, uint32_t size) { return std::min(double(size) - 1, std::floor(v) + 1); };
    int64_t x0 = int64_t(first(pos.x - radius)), x1 = int64_t(last(pos.x + radius, grid.width));
    int64_t y0 = int64_t(first(pos.y - radius)), y1 = int64_t(last(pos.y + radius, grid.height));
    for (int64_t y = y0; y <= y1; ++y)
        for (int64_t x = x0; x <= x1; ++x)
            if (grid(size_t(x), size_t(y)).type != level::BLOCK_EMPTY) return true;
    return false;
}

}  // namespace bv::physics
