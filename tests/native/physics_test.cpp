// Collision geometry, friction and wall probes.
#include <cmath>
#include <cstdint>
#include <vector>

#include "check.hpp"
#include "physics/collision.core.hpp"
#include "physics/movement.core.hpp"

using namespace bv::physics;

namespace {

bool near(double a, double b, double eps = 1e-6) { return std::fabs(a - b) <= eps; }

TEST(body_overlap_pushes_along_the_centre_line) {
    Point pos{0, 0}, direction{1, 1}, newPos{1, 1};
    CHECK(resolveBodyOverlap(pos, direction, newPos, {1.3, 1.4}, 1.0, false));
    double dx = 1.3 - newPos.x, dy = 1.4 - newPos.y;
    CHECK(near(std::sqrt(dx * dx + dy * dy), 1.0));
    CHECK(near(newPos.x, pos.x + direction.x) && near(newPos.y, pos.y + direction.y));
}

TEST(body_overlap_without_push) {
    Point pos{0, 0}, direction{0.6, 0}, newPos{0.6, 0};
    CHECK(resolveBodyOverlap(pos, direction, newPos, {1, 0}, 0.5, true));      // a trigger: contact only
    CHECK(!resolveBodyOverlap(pos, direction, newPos, {1.1, 0}, 0.5, false));  // exactly touching
    CHECK(resolveBodyOverlap(pos, direction, newPos, {0.6, 0}, 0.5, false));   // coinciding centres
    CHECK(direction.x == 0.6 && direction.y == 0 && newPos.x == 0.6 && newPos.y == 0);
}

TEST(line_circle_intersections) {
    Point hit{};
    // Circle of radius 0.5 at (5, 0) seen from the origin along +x: the near point.
    CHECK(closestLineCircleIntersection({5, 0}, 0.5f, {0, 0}, {10, 0}, hit));
    CHECK(near(hit.x, 4.5, 1e-5) && near(hit.y, 0));
    // Beyond the end of the segment it is still found: the caller filters by distance.
    CHECK(closestLineCircleIntersection({5, 0}, 0.5f, {0, 0}, {4, 0}, hit));
    CHECK(near(hit.x, 4.5, 1e-5));
    // From inside: the exit point.
    CHECK(closestLineCircleIntersection({5, 0}, 0.5f, {5, 0}, {15, 0}, hit));
    CHECK(near(hit.x, 5.5, 1e-5));
    // Behind the start, a miss, a degenerate segment.
    CHECK(!closestLineCircleIntersection({-5, 0}, 0.5f, {0, 0}, {10, 0}, hit));
    CHECK(!closestLineCircleIntersection({5, 2}, 0.5f, {0, 0}, {10, 0}, hit));
    CHECK(!closestLineCircleIntersection({5, 0}, 0.5f, {1, 1}, {1, 1}, hit));
    // A start exactly on the near boundary: the near point is the start itself, which does not count.
    CHECK(!closestLineCircleIntersection({5, 0}, 0.5f, {4.5, 0}, {14.5, 0}, hit));
    // Tangent line: one touching point.
    CHECK(closestLineCircleIntersection({5, 1}, 1.0f, {0, 0}, {10, 0}, hit));
    CHECK(near(hit.x, 5, 1e-3) && near(hit.y, 0));
}

TEST(friction_wears_impulse_down) {
    FrictionStep s = applyFriction({3, 4}, 2, 1);
    CHECK(!s.cleared && near(s.impulse.x, 1.8) && near(s.impulse.y, 2.4));
    s = applyFriction({3, 4}, -2, 1);  // the sign of the factor does not matter
    CHECK(!s.cleared && near(s.impulse.x, 1.8) && near(s.impulse.y, 2.4));
    s = applyFriction({3, 4}, 10, 1);
    CHECK(s.cleared && s.impulse.x == 0 && s.impulse.y == 0);
    s = applyFriction({3, 4}, 2, 0.5);
    CHECK(near(s.impulse.x, 2.4) && near(s.impulse.y, 3.2));
    s = applyFriction({5e-5, 5e-5}, 0, 1);  // below the rest threshold: cleared even without friction
    CHECK(s.cleared && s.impulse.x == 0 && s.impulse.y == 0);
    s = applyFriction({1, 0}, 0, 1);
    CHECK(!s.cleared && s.impulse.x == 1);
    s = applyFriction({NAN, 0}, 2, 1);
    CHECK(s.cleared && s.impulse.x == 0);
}

// A width × height grid of empty cells, optionally walled at the border.
struct TestGrid {
    uint32_t width, height;
    std::vector<uint8_t> bytes;
    TestGrid(uint32_t w, uint32_t h, bool walled) : width(w), height(h), bytes(size_t(w) * h * 7, 0) {
        if (!walled) return;
        for (uint32_t x = 0; x < w; ++x) set(x, 0, 1), set(x, h - 1, 1);
        for (uint32_t y = 0; y < h; ++y) set(0, y, 1), set(w - 1, y, 1);
    }
    void set(uint32_t x, uint32_t y, uint8_t type) { bytes[(x + y * size_t(width)) * 7] = type; }
    GridView view() const { return {bytes.data(), width, height}; }
};

// Runs the eight probes like the movement system does; returns the number of contacts.
int probeAll(const GridView& grid, Point pos, double radius, Point& newPos) {
    int contacts = 0;
    for (int i = 0; i < kProbeCount; ++i) contacts += pushOutOfWall(grid, pos, i, radius, newPos);
    return contacts;
}

TEST(body_near_straight_wall) {
    // A wall along x = 10; the body stands 0.1 west of it: east probe plus both eastward diagonals.
    TestGrid g(20, 20, true);
    for (uint32_t y = 0; y < 20; ++y) g.set(10, y, 1);
    Point pos{9.9, 5.5}, newPos = pos;
    CHECK(probeAll(g.view(), pos, 0.25, newPos) == 3);
    CHECK(near(pos.x - newPos.x, 0.304, 1e-3));
    CHECK(near(newPos.y, 5.5, 1e-12));  // the diagonal pushes cancel
}

TEST(body_in_corner_pushed_on_both_axes) {
    TestGrid g(10, 10, true);
    Point pos{1.1, 1.2}, newPos = pos;
    CHECK(probeAll(g.view(), pos, 0.25, newPos) >= 2);
    CHECK(newPos.x > pos.x + 0.1 && newPos.y > pos.y + 0.04);
}

TEST(body_against_diagonal_face) {
    // North-west half block at (5, 5): its diagonal runs along x + y = 11.
    TestGrid g(20, 20, true);
    g.set(5, 5, 2);
    Point pos{5.6, 5.5}, newPos = pos;
    CHECK(probeAll(g.view(), pos, 0.25, newPos) == 3);  // west, north and the north-west diagonal
    CHECK(newPos.x > pos.x && near(newPos.x - pos.x, newPos.y - pos.y, 1e-9));
}

TEST(probes_without_walls_or_grid) {
    Point newPos{5, 5};
    CHECK(probeAll(TestGrid(20, 20, true).view(), {5, 5}, 0.25, newPos) == 0);  // far from every wall
    CHECK(probeAll(TestGrid(3, 3, false).view(), {1.5, 1.5}, 5, newPos) == 0);  // rays leave the level
    CHECK(probeAll(TestGrid(10, 10, true).view(), {-3, 4}, 5, newPos) == 0);    // start outside the grid
    CHECK(probeAll(TestGrid(10, 10, true).view(), {NAN, 4}, 5, newPos) == 0);
    CHECK(probeAll(GridView{nullptr, 0, 0}, {1, 1}, 5, newPos) == 0);
    CHECK(newPos.x == 5 && newPos.y == 5);
}

}  // namespace
