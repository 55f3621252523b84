// castRay: the walk of one ray through the level grid to the first wall face.
#include "render/raycast.core.hpp"

#include <cmath>
#include <cstddef>
#include <limits>

namespace bv {

namespace {

using Vec2 = _internal_Vec2;
using namespace level;

constexpr int kNorth = TEXTURE_NORTH, kEast = TEXTURE_EAST, kSouth = TEXTURE_SOUTH, kWest = TEXTURE_WEST;
constexpr double kDiag = 0.707107;

double distance(const Vec2& a, double x, double y) {
    double dx = x - a.x, dy = y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

double squaredDistance(const Vec2& a, double x, double y) {
    double dx = x - a.x, dy = y - a.y;
    return dx * dx + dy * dy;
}

// distance() of the first crossing is below that of the second, given both squared distances.
// Squares more than 1e-14 apart (relative) have distances in the same order even once rounded;
// closer ones, whose distances may round to equal, and subnormal ones (whose products lose
// precision) take the sqrt.
bool nearer(double squaredA, double squaredB) {
    constexpr double kMargin = 1 - 1e-14;
    if (squaredA < squaredB * kMargin && squaredB >= std::numeric_limits<double>::min()) return true;
    if (squaredB < squaredA * kMargin && squaredA >= std::numeric_limits<double>::min()) return false;
    return std::sqrt(squaredA) < std::sqrt(squaredB);
}

// Intersection of the ray with the diagonal of the half block at (cx, cy); false when parallel.
bool diagonalPoint(int type, int cx, int cy, const Vec2& pos, const Vec2& dir, Vec2& p) {
    double t;
    if (risesToNorthEast(type)) {  // px + py = x + y + 1
        double den = dir.x + dir.y;
        if (den == 0) return false;
        t = (cx + cy + 1 - pos.x - pos.y) / den;
    } else {  // px - py = x - y
        double den = dir.x - dir.y;
        if (den == 0) return false;
        t = (cx - cy - (pos.x - pos.y)) / den;
    }
    p = {pos.x + t * dir.x, pos.y + t * dir.y};
    return true;
}

bool insideCell(const Vec2& p, int cx, int cy) { return cx <= p.x && p.x < cx + 1 && cy <= p.y && p.y < cy + 1; }

Vec2 faceNormal(int face, int type) {
    switch (face) {
        case kEast:
            if (type == BLOCK_TRIANGLE_SOUTH_EAST) return {kDiag, -kDiag};
            if (type == BLOCK_TRIANGLE_NORTH_WEST) return {kDiag, kDiag};
            return {1, 0};
        case kSouth:
            if (type == BLOCK_TRIANGLE_NORTH_WEST) return {kDiag, kDiag};
            if (type == BLOCK_TRIANGLE_NORTH_EAST) return {-kDiag, kDiag};
            return {0, 1};
        case kWest:
            if (type == BLOCK_TRIANGLE_SOUTH_WEST) return {-kDiag, -kDiag};
            if (type == BLOCK_TRIANGLE_NORTH_EAST) return {-kDiag, kDiag};
            return {-1, 0};
        default:
            if (type == BLOCK_TRIANGLE_SOUTH_EAST) return {kDiag, -kDiag};
            if (type == BLOCK_TRIANGLE_SOUTH_WEST) return {-kDiag, -kDiag};
            return {0, -1};
    }
}

void record(const GridView& grid, const Vec2& start, const Vec2& p, int cx, int cy, int face, int vert, Hit* hit) {
    const Cell& cell = grid(size_t(cx), size_t(cy));
    hit->pos = p;
    hit->cell = int8_t(cell.type);
    hit->cellX = cx;
    hit->cellY = cy;
    hit->vert = vert;
    hit->cardinalDirection = face;
    hit->textureIndex = cell.byte(face);
    hit->length = distance(start, p.x, p.y);
    hit->invalid = 0;
    hit->normal = faceNormal(face, cell.type);
}

void leave(Hit* hit) {
    *hit = Hit{};
    hit->invalid = 1;
    hit->length = std::numeric_limits<double>::infinity();
}

// Cell index of a crossing coordinate; false outside 0..limit-1. Rounding down (not towards zero)
// keeps a crossing just left of or above the grid from being read as column or row 0.
bool cellIndex(double v, uint32_t limit, int& out) {
    double t = std::floor(v);
    if (!(t >= 0 && t < limit)) return false;
    out = int(t);
    return true;
}

}  // namespace

void castRay(const GridView& grid, const Vec2* posPtr, Vec2* dirPtr, Hit* hit) {
    const uint32_t width = grid.width, height = grid.height;
    hit->invalid = 0;
    const Vec2 pos = *posPtr;
    const int xstep = dirPtr->x > 0 ? 1 : -1;
    const int ystep = dirPtr->y > 0 ? 1 : -1;
    if (dirPtr->x == 0) dirPtr->x = 1e-14;
    if (dirPtr->y == 0) dirPtr->y = 1e-14;
    const Vec2 dir = *dirPtr;

    if (!(pos.x >= 0 && pos.x < width && pos.y >= 0 && pos.y < height) || !std::isfinite(dir.x) ||
        !std::isfinite(dir.y)) {
        leave(hit);
        return;
    }
    const int cx = int(pos.x), cy = int(pos.y);
    int nextX = xstep > 0 ? cx + 1 : cx;
    int nextY = ystep > 0 ? cy + 1 : cy;

    const int startType = grid(size_t(cx), size_t(cy)).type;
    Vec2 p;
    if (isHalfBlock(startType) && diagonalPoint(startType, cx, cy, pos, dir, p) && insideCell(p, cx, cy) &&
        (std::fabs(dir.x) < 1e-7 || (p.x - pos.x) / dir.x > 0) &&
        (std::fabs(dir.y) < 1e-7 || (p.y - pos.y) / dir.y > 0)) {
        const bool facesEast = openEastSide(startType);
        if (facesEast ? dir.x <= 0 : dir.x >= 0)
            record(grid, pos, p, cx, cy, facesEast ? kEast : kWest, 0, hit);
        else
            record(grid, pos, p, cx, cy, dir.y < 0 ? kSouth : kNorth, 1, hit);
        return;
    }

    double y1 = pos.y + (nextX - pos.x) / dir.x * dir.y;
    double x2 = pos.x + (nextY - pos.y) / dir.y * dir.x;
    // Squared distances to the next vertical and horizontal grid lines.
    double distVert = squaredDistance(pos, nextX, y1);
    double distHor = squaredDistance(pos, x2, nextY);
    for (;;) {
        const bool vertical = nearer(distVert, distHor);
        int x, y;
        if (vertical) {
            x = dir.x < 0 ? nextX - 1 : nextX;
            if (!(x >= 0 && uint32_t(x) < width) || !cellIndex(y1, height, y)) return leave(hit);
        } else {
            y = dir.y < 0 ? nextY - 1 : nextY;
            if (!(y >= 0 && uint32_t(y) < height) || !cellIndex(x2, width, x)) return leave(hit);
        }
        const int type = grid(size_t(x), size_t(y)).type;
        if (type != BLOCK_EMPTY) {
            const int face = vertical ? (dir.x >= 0 ? kWest : kEast) : (dir.y < 0 ? kSouth : kNorth);
            const bool openSide = vertical ? (openWestSide(type) && dir.x > 0) || (openEastSide(type) && dir.x < 0)
                                           : (openSouthSide(type) && dir.y < 0) || (openNorthSide(type) && dir.y > 0);
            if (!openSide) {
                record(grid, pos, vertical ? Vec2{double(nextX), y1} : Vec2{x2, double(nextY)}, x, y, face,
                       vertical ? 0 : 1, hit);
                return;
            }
            if (diagonalPoint(type, x, y, pos, dir, p) && insideCell(p, x, y)) {
                record(grid, pos, p, x, y, face, vertical ? 0 : 1, hit);
                return;
            }
        }
        if (vertical) {
            nextX += xstep;
            y1 = pos.y + (nextX - pos.x) / dir.x * dir.y;
            distVert = squaredDistance(pos, nextX, y1);
        } else {
            nextY += ystep;
            x2 = pos.x + (nextY - pos.y) / dir.y * dir.x;
            distHor = squaredDistance(pos, x2, nextY);
        }
    }
}

}  // namespace bv
