// Ray casting against small grids.
#include <cmath>
#include <vector>

#include "check.hpp"
#include "level/grid.core.hpp"
#include "render/raycast.core.hpp"

using bv::_internal_Vec2;
using bv::castRay;
using bv::Hit;

namespace {

// A w x h grid, walled when `border` is set; face bytes 3..6 hold 30 + face so that a hit's
// texture index names its face.
struct Grid {
    int w, h;
    bv::level::Grid grid;
    Grid(int w_, int h_, bool border = true) : w(w_), h(h_), grid(w_, h_) {
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                for (int k = 3; k <= 6; k++) cell(x, y).byte(k) = uint8_t(30 + k);
                if (border && (x == 0 || y == 0 || x == w - 1 || y == h - 1)) cell(x, y).type = 1;
            }
    }
    bv::level::Cell& cell(int x, int y) { return grid(x, y); }
    Hit cast(double px, double py, double dx, double dy) {
        _internal_Vec2 pos{px, py}, dir{dx, dy};
        Hit hit{};
        castRay(grid.view(), &pos, &dir, &hit);
        return hit;
    }
};

bool near(double a, double b, double eps = 1e-9) { return std::fabs(a - b) <= eps; }

constexpr double kD = 0.707107;

}  // namespace

TEST(castRay_straight_rays_in_the_empty_level) {
    Grid g(30, 30);
    _internal_Vec2 pos{15.5, 15.5}, dir{1, 0};
    Hit hit{};
    castRay(g.grid.view(), &pos, &dir, &hit);
    CHECK(hit.pos.x == 29 && near(hit.pos.y, 15.5));
    CHECK_EQ(hit.cardinalDirection, 6);
    CHECK_EQ(hit.textureIndex, 36);
    CHECK_EQ(hit.vert, 0);
    CHECK_EQ(hit.invalid, 0);
    CHECK_EQ(hit.cell, 1);
    CHECK(hit.normal.x == -1 && hit.normal.y == 0);
    CHECK(hit.length == 13.5);
    CHECK(hit.cellX == 29 && hit.cellY == 15);
    CHECK(dir.x == 1 && dir.y == 1e-14);  // the zero component is written back

    dir = {0, -1};
    castRay(g.grid.view(), &pos, &dir, &hit);
    CHECK(near(hit.pos.x, 15.5) && hit.pos.y == 1);
    CHECK_EQ(hit.cardinalDirection, 5);
    CHECK_EQ(hit.vert, 1);
    CHECK(hit.normal.x == 0 && hit.normal.y == 1);
    CHECK(dir.x == 1e-14 && dir.y == -1);
}

// Any type byte past the half blocks is a square block too.
TEST(castRay_faces_and_normals_of_square_blocks) {
    for (uint8_t type : {1, 6, 255}) {
        Grid g(30, 30);
        for (int i = 0; i < 30; i++)
            for (int j : {0, 29}) g.cell(i, j).type = g.cell(j, i).type = type;
        struct Case { double dx, dy, hitX, hitY; int face; double nx, ny; };
        for (const Case& c : {Case{1, 0, 29, 15.5, 6, -1, 0}, Case{-1, 0, 1, 15.5, 4, 1, 0},
                              Case{0, 1, 15.5, 29, 3, 0, -1}, Case{0, -1, 15.5, 1, 5, 0, 1}}) {
            Hit hit = g.cast(15.5, 15.5, c.dx, c.dy);
            CHECK(near(hit.pos.x, c.hitX) && near(hit.pos.y, c.hitY));
            CHECK_EQ(hit.cardinalDirection, c.face);
            CHECK_EQ(hit.textureIndex, 30 + c.face);
            CHECK(hit.normal.x == c.nx && hit.normal.y == c.ny);
            CHECK_EQ(uint8_t(hit.cell), type);
        }
    }
}

TEST(castRay_rays_through_and_beside_a_corner) {
    Grid g(30, 30);
    g.cell(16, 16).type = 1;
    Hit hit = g.cast(15.5, 15.5, 1, 1);  // exactly through it: the horizontal crossing
    CHECK(hit.pos.x == 16 && hit.pos.y == 16);
    CHECK_EQ(hit.cardinalDirection, 3);
    CHECK_EQ(hit.vert, 1);
    // Passing 1e-15 beside the corner (1, 1): the squared distances of both crossings lie closer
    // than 1e-14, the distances themselves still differ, and the nearer crossing names the cell.
    Grid open(4, 4, false);
    open.cell(1, 0).type = open.cell(1, 1).type = open.cell(0, 1).type = 1;
    hit = open.cast(0.5, 0.5, 1, 1 - 1e-15);  // below it: into (1, 0) through its west face
    CHECK(hit.cellX == 1 && hit.cellY == 0 && hit.vert == 0 && hit.cardinalDirection == 6);
    CHECK(hit.pos.x == 1 && hit.pos.y < 1);
    hit = open.cast(0.5, 0.5, 1 - 1e-15, 1);  // left of it: into (0, 1) through its north face
    CHECK(hit.cellX == 0 && hit.cellY == 1 && hit.vert == 1 && hit.cardinalDirection == 3);
    CHECK(hit.pos.x < 1 && hit.pos.y == 1);
}

TEST(castRay_diagonal_faces_and_normals) {
    Grid g(30, 30);
    g.cell(5, 5).type = 2;
    Hit hit = g.cast(6.5, 5.5, -1, 0);  // through the open east side onto the diagonal
    CHECK(near(hit.pos.x, 5.5) && near(hit.pos.y, 5.5));
    CHECK_EQ(hit.cardinalDirection, 4);
    CHECK(hit.normal.x == kD && hit.normal.y == kD);
    CHECK_EQ(hit.cell, 2);
    hit = g.cast(6.7, 6.5, -0.5, -0.5);  // head-on: dir.x + dir.y is exactly -1
    CHECK(near(hit.pos.x, 5.6) && near(hit.pos.y, 5.4));
    CHECK_EQ(hit.cell, 2);
    hit = g.cast(4.5, 5.5, 1, 0);  // onto the solid west side
    CHECK(hit.pos.x == 5 && near(hit.pos.y, 5.5));
    CHECK_EQ(hit.cardinalDirection, 6);
    CHECK(hit.normal.x == -1 && hit.normal.y == 0);
    // In through the open south side, out through the north-east corner, where the diagonal
    // ends: the corner belongs to the next cells, so the ray passes on to the border at (8, 1).
    hit = g.cast(5.25, 6.5, 0.75, -1.5);
    CHECK(hit.cellX == 8 && hit.cellY == 0 && hit.pos.y == 1);

    g.cell(5, 5).type = 4;  // open north and east: entered from the north
    hit = g.cast(5.7, 4.5, 0, 1);
    CHECK(near(hit.pos.x, 5.7) && near(hit.pos.y, 5.7));
    CHECK_EQ(hit.cardinalDirection, 3);
    CHECK_EQ(hit.vert, 1);
    CHECK(hit.normal.x == kD && hit.normal.y == -kD);

    hit = g.cast(6.5, 5.3, -1, 0);  // entered from the east
    CHECK(near(hit.pos.x, 5.3) && near(hit.pos.y, 5.3));
    CHECK_EQ(hit.cardinalDirection, 4);
    CHECK(hit.normal.x == kD && hit.normal.y == -kD);

    g.cell(5, 5).type = 5;  // open north and west: the solid east side has a plain normal
    hit = g.cast(6.5, 5.5, -1, 0);
    CHECK(hit.pos.x == 6 && hit.cardinalDirection == 4);
    CHECK(hit.normal.x == 1 && hit.normal.y == 0);

    g.cell(5, 5).type = 3;  // open south and west: entered from the west but leaving before the diagonal
    hit = g.cast(4.9, 5.6, 1, 2);
    CHECK(hit.cellY == 29 && hit.cell == 1);
}

TEST(castRay_start_inside_a_half_block) {
    Grid g(30, 30);
    g.cell(5, 5).type = 3;  // solid upper right, open lower left
    Hit hit = g.cast(5.2, 5.7, 1, 0);
    CHECK(near(hit.pos.x, 5.7) && near(hit.pos.y, 5.7));
    CHECK(hit.cellX == 5 && hit.cellY == 5);
    CHECK_EQ(hit.cardinalDirection, 6);
    CHECK(hit.normal.x == -kD && hit.normal.y == kD);
    hit = g.cast(5.2, 5.7, -1, 0);  // heading away from the diagonal
    CHECK(hit.pos.x == 1 && hit.cardinalDirection == 4);
    hit = g.cast(5.2, 5.7, -0.1, -1);  // moving west: named after the vertical direction
    CHECK(hit.cellX == 5 && hit.cellY == 5);
    CHECK(hit.cardinalDirection == 5 && hit.vert == 1);
    CHECK(hit.normal.x == -kD && hit.normal.y == kD);
}

TEST(castRay_start_inside_a_square_block_passes_out) {
    Grid g(30, 30);
    g.cell(15, 15).type = 1;
    Hit hit = g.cast(15.5, 15.5, 1, 0);
    CHECK(hit.pos.x == 29 && hit.cellX == 29);
}

TEST(castRay_leaving_the_level) {
    Grid open(8, 8, false);
    Hit hit = open.cast(4.5, 4.5, 0.3, 1);
    CHECK_EQ(hit.invalid, 1);
    CHECK_EQ(hit.cell, 0);
    CHECK(std::isinf(hit.length));
}

TEST(castRay_start_outside_the_grid_reads_nothing) {
    // A 3 x 3 grid whose every cell is solid: any read would report a hit.
    Grid g(3, 3);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 3; x++) g.cell(x, y).type = 1;
    const double bad[][2] = {{-0.5, 1.5}, {3.0, 1.5}, {1.5, -1e-9}, {1.5, 3.5}, {NAN, 1}, {1, INFINITY}};
    for (auto& p : bad) {
        Hit hit = g.cast(p[0], p[1], 1, 0.5);
        CHECK_EQ(hit.invalid, 1);
    }
    Hit hit = g.cast(1.5, 1.5, NAN, 1);
    CHECK_EQ(hit.invalid, 1);
    hit = g.cast(1.5, 1.5, 1e-300, 1e300);  // extreme slopes stay in range
    CHECK(hit.invalid == 0 || hit.invalid == 1);
}
