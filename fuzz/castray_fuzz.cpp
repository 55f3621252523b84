// castRay on random grids, start points and directions. Beyond memory safety (the grid is an
// exact-size heap buffer) every hit must describe a real wall face of the grid.
#include <cstdio>
#include <cstdlib>

#include "fuzz_input.hpp"
#include "render/raycast.core.hpp"

namespace {

struct Case {
    uint32_t w, h;
    bv::_internal_Vec2 pos, dir;
    const bv::Hit* hit;
};
const Case* current;

void require(bool ok, const char* what) {
    if (ok) return;
    const Case& c = *current;
    std::fprintf(stderr,
                 "castRay invariant broken: %s\n  grid %ux%u pos (%.17g, %.17g) dir (%.17g, %.17g)\n"
                 "  hit cell %d at (%d, %d) face %d pos (%.17g, %.17g) length %.17g\n",
                 what, c.w, c.h, c.pos.x, c.pos.y, c.dir.x, c.dir.y, c.hit->cell, c.hit->cellX, c.hit->cellY,
                 c.hit->cardinalDirection, c.hit->pos.x, c.hit->pos.y, c.hit->length);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const uint32_t w = in.ConsumeIntegralInRange<uint32_t>(1, 12), h = in.ConsumeIntegralInRange<uint32_t>(1, 12);
    bv::_internal_Vec2 pos{fuzz::coordinate(in, w), fuzz::coordinate(in, h)};
    bv::_internal_Vec2 dir{fuzz::direction(in), fuzz::direction(in)};
    bv::level::Grid grid{int32_t(w), int32_t(h)};
    // Block types are mostly 0..5 with some stray values; texture bytes are anything.
    for (size_t i = 0; i < grid.byteSize(); i++) {
        uint8_t b = in.ConsumeIntegral<uint8_t>();
        const bool typeByte = i % bv::level::kCellBytes == bv::level::CELL_TYPE;
        grid.bytes()[i] = typeByte && b < 240 ? b % bv::level::kBlockTypeCount : b;
    }

    const bv::_internal_Vec2 startDir = dir;
    bv::Hit hit;
    std::memset(&hit, 0xA5, sizeof hit);
    bv::castRay(grid.view(), &pos, &dir, &hit);
    const Case c{w, h, pos, startDir, &hit};
    current = &c;

    require(dir.x == (startDir.x == 0 ? 1e-14 : startDir.x) || std::isnan(startDir.x), "direction x write-back");
    require(dir.y == (startDir.y == 0 ? 1e-14 : startDir.y) || std::isnan(startDir.y), "direction y write-back");
    require(hit.invalid == 0 || hit.invalid == 1, "invalid is a flag");
    const bool inside = pos.x >= 0 && pos.y >= 0 && pos.x < w && pos.y < h;
    if (hit.invalid) {
        require(hit.cell == 0, "a ray that left the level reports cell 0");
        return 0;
    }
    require(inside, "a start outside the grid cannot hit");
    require(hit.cellX >= 0 && hit.cellY >= 0 && uint32_t(hit.cellX) < w && uint32_t(hit.cellY) < h,
            "hit cell inside the grid");
    using namespace bv::level;
    require(hit.cardinalDirection >= TEXTURE_NORTH && hit.cardinalDirection <= TEXTURE_WEST,
            "face is a cardinal direction");
    require(hit.vert == (hit.cardinalDirection == TEXTURE_NORTH || hit.cardinalDirection == TEXTURE_SOUTH),
            "vert matches the face");
    const Cell& cell = grid(hit.cellX, hit.cellY);
    require(cell.type != BLOCK_EMPTY, "the hit cell is not empty");
    require(hit.cell == int8_t(cell.type), "cell is the block type");
    require(hit.textureIndex == cell.byte(hit.cardinalDirection), "texture index is the face byte");
    require(std::isfinite(hit.length) && hit.length >= 0, "finite distance");
    require(std::isfinite(hit.pos.x) && std::isfinite(hit.pos.y), "finite hit point");
    // A direction whose components are both below 1e-7 (a zero direction included) has no
    // usable heading: its steps go towards negative while it leans positive, so its crossings
    // may lie behind the start and just outside the cell they are read from.
    if (std::fabs(dir.x) < 1e-7 && std::fabs(dir.y) < 1e-7) return 0;
    // The same holds for the crossings of an axis whose direction component was exactly 0: they
    // lie behind the start, and only a start within about 1e-14 of such a grid line meets one
    // before a real wall (its coordinate across then truncates into the cell next to the line).
    if (hit.vert ? startDir.y == 0 : startDir.x == 0) return 0;
    const double eps = 1e-9;
    require(hit.pos.x >= hit.cellX - eps && hit.pos.x <= hit.cellX + 1 + eps && hit.pos.y >= hit.cellY - eps &&
                hit.pos.y <= hit.cellY + 1 + eps,
            "hit point on the hit cell");
    const double nlen = hit.normal.x * hit.normal.x + hit.normal.y * hit.normal.y;
    require(std::fabs(nlen - 1) < 1e-5, "unit normal");
    // The hit lies ahead of the start point along the ray.
    const double along = (hit.pos.x - pos.x) * dir.x + (hit.pos.y - pos.y) * dir.y;
    require(along >= -eps * std::hypot(dir.x, dir.y), "hit ahead of the start");
    return 0;
}
