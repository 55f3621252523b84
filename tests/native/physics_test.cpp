// Collision geometry, friction, wall probes and the broad phase of the body loop.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "check.hpp"
#include "physics/broad_phase.core.hpp"
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
    // Beyond the end of the segment it is still found: the caller filters by distance. A short
    // segment (well under a unit) still gives a direction.
    CHECK(closestLineCircleIntersection({5, 0}, 0.5f, {0, 0}, {4, 0}, hit));
    CHECK(near(hit.x, 4.5, 1e-5));
    CHECK(closestLineCircleIntersection({5, 0}, 0.5f, {4.2, 0}, {4.3, 0}, hit));
    CHECK(near(hit.x, 4.5, 1e-5));
    // From inside: the exit point.
    CHECK(closestLineCircleIntersection({5, 0}, 0.5f, {5, 0}, {15, 0}, hit));
    CHECK(near(hit.x, 5.5, 1e-5));
    // Behind the start, a miss, and a segment too short to give a direction (even one crossing the edge).
    CHECK(!closestLineCircleIntersection({-5, 0}, 0.5f, {0, 0}, {10, 0}, hit));
    CHECK(!closestLineCircleIntersection({5, 2}, 0.5f, {0, 0}, {10, 0}, hit));
    CHECK(!closestLineCircleIntersection({5, 0}, 0.5f, {5.49995, 0}, {5.50005, 0}, hit));
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
    s = applyFriction({2e-4, 0}, 0, 1);  // just above it (1e-4): kept
    CHECK(!s.cleared && s.impulse.x == 2e-4);
    s = applyFriction({1, 0}, 0, 1);
    CHECK(!s.cleared && s.impulse.x == 1);
    s = applyFriction({NAN, 0}, 2, 1);
    CHECK(s.cleared && s.impulse.x == 0);
}

// A width × height grid of empty cells, optionally walled at the border.
struct TestGrid {
    bv::level::Grid grid;
    TestGrid(uint32_t w, uint32_t h, bool walled) : grid(int32_t(w), int32_t(h)) {
        if (walled) grid.surroundWithWall();
    }
    void set(uint32_t x, uint32_t y, uint8_t type) { grid(int32_t(x), int32_t(y)).type = type; }
    GridView view() const { return grid.view(); }
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

TEST(wall_prefilter_never_hides_a_contact) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int scene = 0; scene < 40; ++scene) {
        TestGrid g(12, 9, scene % 3 != 0);
        for (uint32_t y = 0; y < uint32_t(g.grid.height()); ++y)
            for (uint32_t x = 0; x < uint32_t(g.grid.width()); ++x)
                if (unit(rng) < 0.15) g.set(x, y, uint8_t(1 + rng() % 5));
        for (int k = 0; k < 300; ++k) {
            Point pos{unit(rng) * 14 - 1, unit(rng) * 11 - 1};
            double radius = unit(rng) * (k % 10 == 0 ? 4 : 0.8) - 0.05;
            Point newPos = pos;
            int contacts = probeAll(g.view(), pos, radius, newPos);
            if (!wallWithin(g.view(), pos, radius)) CHECK(contacts == 0);
        }
    }
    CHECK(!wallWithin(TestGrid(10, 10, true).view(), {5, 5}, 0.25));
    CHECK(wallWithin(TestGrid(10, 10, true).view(), {1.3, 5}, 0.25));
}

// A scene of plain bodies moved in turn the way the movement system moves them.
struct Scene {
    std::vector<BodyEntry> bodies;
    std::vector<bool> trigger, ghost;  // a ghost mover ignores every trigger
    std::vector<Point> velocity;
    int64_t visits = 0;  // bodies offered to the movers so far
};

// Where a scene lies and in what unit: the grid must spare visits at any size and position.
struct Layout {
    double scale;
    Point origin;
};

Scene randomScene(std::mt19937& rng, int count, Layout at) {
    std::uniform_real_distribution<double> unit(0, 1);
    Scene s;
    double spread = (2 + unit(rng) * 12) * at.scale;
    for (int i = 0; i < count; ++i) {
        Point c{at.origin.x + unit(rng) * spread, at.origin.y + unit(rng) * spread};
        double r = (0.1 + unit(rng) * 0.4) * at.scale;
        int odd = int(rng() % 40);
        if (odd == 0) r = (3 + unit(rng) * 5) * at.scale;  // outsized
        if (odd == 1) r = -0.2;
        if (odd == 2) c.x = NAN;
        if (odd == 3) c = {1e18, -3};
        s.bodies.push_back({c, r, odd == 4});
        s.trigger.push_back(rng() % 6 == 0);
        s.ghost.push_back(rng() % 8 == 0);
        s.velocity.push_back({(unit(rng) - 0.5) * at.scale, (unit(rng) - 0.5) * at.scale});
    }
    return s;
}

struct Contact {
    int mover, other;
    bool operator==(const Contact& o) const { return mover == o.mover && other == o.other; }
};

// Moves every body once; with a grid, visits through walkBodies and rebuilds the grid after the
// visits chosen by `interrupt` (standing in for handlers that may have changed anything).
std::vector<Contact> runFrame(Scene& s, bool broad, std::mt19937& interrupt) {
    std::vector<Contact> contacts;
    BodyGrid grid;
    std::vector<int32_t> scratch;
    if (broad) grid.build(s.bodies);
    int n = int(s.bodies.size());
    for (int m = 0; m < n; ++m) {
        Point pos = s.bodies[size_t(m)].centre, direction = s.velocity[size_t(m)];
        Point newPos{pos.x + direction.x, pos.y + direction.y};
        double radius = s.bodies[size_t(m)].radius;
        bool dirty = false;
        auto visit = [&](int32_t i) {
            ++s.visits;
            if (i == m || (s.ghost[size_t(m)] && s.trigger[size_t(i)])) return Visit::done;
            const BodyEntry& o = s.bodies[size_t(i)];
            if (!resolveBodyOverlap(pos, direction, newPos, o.centre, radius + o.radius, s.trigger[size_t(i)]))
                return Visit::done;
            contacts.push_back({m, i});
            if (interrupt() % 5 != 0) return Visit::done;
            dirty = true;
            return Visit::interrupted;
        };
        int32_t next = 0;
        for (int walk = 0; broad && walk < 3; ++walk) {  // resumes after interruptions, rebuilt
            WalkEnd end = walkBodies(grid, radius, newPos, next - 1, scratch, visit);
            next = end.next < 0 ? n : end.next;
            if (!end.interrupted) break;
            grid.build(s.bodies);
        }
        for (int32_t i = next; i < n; ++i) visit(i);
        s.bodies[size_t(m)].centre = newPos;
        if (!broad) continue;
        if (dirty)
            grid.build(s.bodies);
        else
            grid.move(m, newPos);
    }
    return contacts;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(walk_matches_the_plain_loop_on_random_scenes) {
    std::mt19937 rng(2024);
    int contactsSeen = 0;
    // Bodies smaller than a cell near the origin, bodies a few cells wide, and bodies far below both axes.
    const Layout layouts[3] = {{1, {0, 0}}, {4, {0, 0}}, {1, {-3e4, -2e5}}};
    int64_t plainVisits[3] = {}, broadVisits[3] = {};
    for (int seed = 0; seed < 60; ++seed) {
        int v = seed % 3;
        Scene plain = randomScene(rng, 20 + int(rng() % 120), layouts[v]);
        Scene broad = plain;
        std::mt19937 interruptPlain{unsigned(seed)}, interruptBroad{unsigned(seed)};
        for (int frame = 0; frame < 6; ++frame) {
            std::vector<Contact> expected = runFrame(plain, false, interruptPlain);
            std::vector<Contact> got = runFrame(broad, true, interruptBroad);
            CHECK(got == expected);
            contactsSeen += int(expected.size());
        }
        bool same = true;
        for (size_t i = 0; i < plain.bodies.size(); ++i)
            same = same && sameBits(plain.bodies[i].centre.x, broad.bodies[i].centre.x) &&
                   sameBits(plain.bodies[i].centre.y, broad.bodies[i].centre.y);
        CHECK(same);
        plainVisits[v] += plain.visits;
        broadVisits[v] += broad.visits;
    }
    CHECK(contactsSeen > 1000);  // the scenes are crowded enough to exercise the corrections
    for (int v = 0; v < 3; ++v) CHECK(broadVisits[v] * 2 < plainVisits[v]);  // and the grid spares most visits
}

// The reach of a query is the radii, half again as slack, and a rounding margin that stays a
// hair even far from the origin: a wider one would offer the movers far more bodies.
TEST(query_reach_is_the_radii_with_slack) {
    double reach = 0, slack = 0;
    CHECK(queryReach(0.25, 0.25, {1000, -1000}, reach, slack));
    CHECK(slack == 0.25 && reach > 0.75 && reach < 0.76);
    CHECK(queryReach(0, 0, {3, 4}, reach, slack));  // points: the smallest slack
    CHECK(slack == 1e-3 && reach > 1e-3 && reach < 1.1e-3);
    CHECK(!queryReach(7e307, 7e307, {0, 0}, reach, slack));  // finite radii, but the slack overflows
    CHECK(!queryReach(1e308, 1e308, {0, 0}, reach, slack));
}

TEST(grid_query_keeps_member_order_and_reaches_far_buckets) {
    BodyGrid grid;
    grid.build({{{5, 5}, 0.25, false}, {{0, 0}, 0.25, false}, {{5.3, 5}, 0.25, true}, {{NAN, 1}, 0.25, false},
                {{5.2, 5.1}, 50, false}, {{5.1, 4.9}, 0.25, false}});
    std::vector<int32_t> found;
    CHECK(grid.gather({5, 5}, 0.75, -1, found));
    CHECK((found == std::vector<int32_t>{0, 2, 3, 4, 5}));  // the irregular, unplaceable and outsized ones too
    found.clear();
    CHECK(grid.gather({5, 5}, 0.75, 2, found));
    CHECK((found == std::vector<int32_t>{3, 4, 5}));
    grid.move(1, {5.4, 5.4});
    found.clear();
    CHECK(grid.gather({5, 5}, 0.75, -1, found));
    CHECK((found == std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    found.clear();
    CHECK(!grid.gather({5, 5}, 1e6, -1, found));  // covering everything: the caller visits all
    // Nothing to bin (every body irregular or unplaceable): an empty grid, the bucket still visited,
    // whatever the radius of the unplaceable body (a point gives the finest cells).
    for (double radius : {0.25, 0.0}) {
        grid.build({{{1, 1}, 0.25, true}, {{NAN, 1}, radius, false}});
        found.clear();
        CHECK(grid.gather({1, 1}, 0.75, -1, found));
        CHECK((found == std::vector<int32_t>{0, 1}));
    }
    // Points spread over an area, or along a line, get about as many cells as bodies (not one per
    // body along each axis, nor cells finer than their spacing): a query a few spacings wide is
    // answered, with every body within reach.
    for (int perRow : {20, 400}) {
        std::vector<BodyEntry> points;
        for (int i = 0; i < 400; ++i) points.push_back({{double(i % perRow), double(i / perRow)}, 0, false});
        grid.build(points);
        const double y = perRow == 20 ? 10 : 0;
        found.clear();
        CHECK(grid.gather({10, y}, 2, -1, found));
        for (int i = 0; i < 400; ++i)
            if (std::hypot(points[size_t(i)].centre.x - 10, points[size_t(i)].centre.y - y) <= 2)
                CHECK(std::binary_search(found.begin(), found.end(), i));
    }
}

}  // namespace
