// The level grid and the sprite playback and sheet-cell functions.
#include "check.hpp"
#include "ecs/sprite.core.hpp"
#include "level/grid.core.hpp"

#include <cmath>
#include <cstring>

using namespace bv;

TEST(gridCellLayoutIsRowMajorSevenBytes) {
    level::Grid g(10, 4);
    g(2, 3).east = 7;
    CHECK_EQ(g.byteSize(), size_t(10 * 4 * 7));
    CHECK_EQ(g.bytes()[(2 + 3 * 10) * 7 + level::TEXTURE_EAST], 7);
    CHECK_EQ(g(2, 3).byte(level::TEXTURE_EAST), 7);
}

TEST(gridFindRefusesCellsOutsideTheGrid) {
    level::Grid g(3, 2);
    CHECK(g.find(2, 1) != nullptr);
    CHECK(g.find(3, 0) == nullptr);
    CHECK(g.find(0, 2) == nullptr);
    CHECK(g.find(-1, 0) == nullptr);
    CHECK(!level::Grid::validSize(0, 5));
    CHECK(!level::Grid::validSize(1 << 20, 1 << 20));
    CHECK(level::Grid::validSize(4096, 4096));  // 16M cells, the largest grid
    CHECK(!level::Grid::validSize(4096, 4097));
    CHECK(!level::Grid::validSize(int64_t(1) << 40, int64_t(1) << 40));  // no overflow in the check
}

TEST(gridFillPadsShortInputAndIgnoresTheRest) {
    level::Grid g(2, 1);
    uint8_t src[20];
    std::memset(src, 9, sizeof src);
    g.fill(src, sizeof src);
    CHECK_EQ(g.bytes()[13], 9);
    g.fill(src, 3);  // over the filled grid: the rest is zeroed again
    CHECK_EQ(g.bytes()[2], 9);
    CHECK_EQ(g.bytes()[3], 0);
    CHECK_EQ(g.bytes()[13], 0);
}

TEST(gridWallSurroundsTheBorder) {
    level::Grid g(4, 3);
    g.surroundWithWall();
    int solid = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) solid += g(x, y).type == level::BLOCK_SQUARE;
    CHECK_EQ(solid, 10);
    CHECK_EQ(g(1, 1).type, level::BLOCK_EMPTY);
}

TEST(oscillationReversesAndStepsBackOneFrame) {
    sprite::Playback p{0.9, 0.3};
    sprite::advance(p, true, 4, 1.0);
    CHECK(std::fabs(p.percentage - 0.95) < 1e-12);
    CHECK(p.speed == -0.3);
    p = {0.05, -0.3};
    sprite::advance(p, true, 4, 1.0);
    CHECK(std::fabs(p.percentage) < 1e-12);
    CHECK(p.speed == 0.3);
    p = {0.4, -0.3};  // mid-cycle, either way: no turn
    sprite::advance(p, true, 4, 1.0);
    CHECK(std::fabs(p.percentage - 0.1) < 1e-12);
    CHECK(p.speed == -0.3);
    p = {0.9, 0.3};  // a single frame is the whole cycle
    sprite::advance(p, true, 1, 1.0);
    CHECK(std::fabs(p.percentage - 0.2) < 1e-12);
}

TEST(directionIndexStaysInRange) {
    CHECK_EQ(sprite::directionIndex(1.0, 8), 0);
    CHECK_EQ(sprite::directionIndex(1.125, 8), 1);
    CHECK_EQ(sprite::directionIndex(0.93, 8), 7);
    CHECK_EQ(sprite::directionIndex(-0.3, 8), 7);  // trunc(-1.9) = -1 wraps to 7
    CHECK_EQ(sprite::directionIndex(1e300, 8) < 8, true);
    CHECK_EQ(sprite::directionIndex(1e308, 8), 0);  // the scaled angle overflows to infinity
    CHECK_EQ(sprite::directionIndex(NAN, 8), 0);
    CHECK_EQ(sprite::directionIndex(0.5, 0), 0);
}

TEST(sheetCellNeverLeavesTheSheet) {
    sprite::Sheet sheet{4, 4, 16, 16, 64, 64};
    sprite::Cell c{};
    // start 8, 2 directions, 4 frames, p 0.5, direction 1 -> frame 13: column 1, row 3
    CHECK(sprite::chooseCell(sheet, {8, 4, 2, 2, 0.5, 1.0 + 1.0 / 2}, c));
    CHECK_EQ(c.x, 16);
    CHECK_EQ(c.y, 48);
    CHECK(sprite::chooseCell(sheet, {0, 4, 1, 1, -3.0, 1.0}, c));  // negative percentage: first step
    CHECK_EQ(c.x + c.y, 0);
    CHECK(!sprite::chooseCell(sheet, {14, 4, 1, 1, 0.9, 1.0}, c));  // frame 17 of 16
    CHECK(!sprite::chooseCell(sheet, {-1, 4, 1, 1, 0.0, 1.0}, c));  // frame -1, before the first
    CHECK(!sprite::chooseCell({4, 4, 16, 16, 32, 32}, {0, 4, 1, 1, 0.9, 1.0}, c));  // sheet shrank
    CHECK(!sprite::chooseCell(sheet, {3, 2, 1, -1, 0.6, 1.0}, c));  // a negative stride draws nothing
    CHECK(!sprite::chooseCell(sheet, {0, 4, 0, 1, 0.5, 1.0}, c));  // nor does an animation without directions
}

TEST(loopingDropsTheOvershoot) {
    sprite::Playback p{0.0, 0.3};
    const double expected[] = {0.3, 0.6, 0.9, 0.0};
    for (double e : expected) {
        sprite::advance(p, false, 4, 1.0);
        CHECK(std::fabs(p.percentage - e) < 1e-12);
    }
}

TEST(cameraRelationMeasuresTurnsFromTheFacing) {
    sprite::CameraRelation r = sprite::cameraRelation(5, 0, 0, 0, 1, 0);  // camera straight ahead
    CHECK(std::fabs(r.dist - 5) < 1e-12);
    CHECK(std::fabs(r.angleToCam - 1.0) < 1e-12);
    r = sprite::cameraRelation(1, -1, 0, 0, 1, 0);  // bearing 45 degrees less than the facing
    CHECK(std::fabs(r.angleToCam - 1.125) < 1e-12);
    // Facing north (0, 1), the camera 3 east and 4 north: a 3-4-5 triangle, and straight ahead
    // when it stands due north.
    r = sprite::cameraRelation(3, 5, 0, 1, 0, 1);
    CHECK(std::fabs(r.dist - 5) < 1e-12);
    r = sprite::cameraRelation(0, 5, 0, 1, 0, 1);
    CHECK(std::fabs(r.angleToCam - 1.0) < 1e-12);
}
