// castRay: the walk of one ray through the level grid to the first wall face.
#include "render/raycast.core.hpp"

#include <cmath>
#include <limits>

namespace bv {

namespace {

using Vec2 = _internal_Vec2;

constexpr int kNorth = 3, kEast = 4, kSouth = 5, kWest = 6;
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

bool isDiagonal(int type) { return type >= 2 && type <= 5; }

// Intersection of the ray with the diagonal of the half block at (cx, cy); false when parallel.
bool diagonalPoint(int type, int cx, int cy, const Vec2& pos, const Vec2& dir, Vec2& p) {
    double t;
    if (type == 2 || type == 5) {  // from (x, y+1) to (x+1, y): px + py = x + y + 1
        double den = dir.x + dir.y;
        if (den == 0) return false;
        t = (cx + cy + 1 - pos.x - pos.y) / den;
    } else {  // from (x, y) to (x+1, y+1): px - py = x - y
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
            if (type == 4) return {kDiag, -kDiag};
            if (type == 2) return {kDiag, kDiag};
            return {1, 0};
        case kSouth:
            if (type == 2) return {kDiag, kDiag};
            if (type == 3) return {-kDiag, kDiag};
            return {0, 1};
        case kWest:
            if (type == 5) return {-kDiag, -kDiag};
            if (type == 3) return {-kDiag, kDiag};
            return {-1, 0};
        default:
            if (type == 4) return {kDiag, -kDiag};
            if (type == 5) return {-kDiag, -kDiag};
            return {0, -1};
    }
}

void record(const uint8_t* data, uint32_t width, const Vec2& start, const Vec2& p, int cx, int cy, int face, int vert,
            Hit* hit) {
    const uint8_t* cell = data + (size_t(cx) + size_t(cy) * width) * 7;
    hit->pos = p;
    hit->cell = int8_t(cell[0]);
    hit->cellX = cx;
    hit->cellY = cy;
    hit->vert = vert;
    hit->cardinalDirection = face;
    hit->textureIndex = cell[face];
    hit->length = distance(start, p.x, p.y);
    hit->invalid = 0;
    hit->normal = faceNormal(face, cell[0]);
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

void castRay(const uint8_t* data, uint32_t width, uint32_t height, const Vec2* posPtr, Vec2* dirPtr, Hit* hit) {
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

    const int startType = data[(size_t(cx) + size_t(cy) * width) * 7];
    Vec2 p;
    if (isDiagonal(startType) && diagonalPoint(startType, cx, cy, pos, dir, p) && insideCell(p, cx, cy) &&
        (std::fabs(dir.x) < 1e-7 || (p.x - pos.x) / dir.x > 0) &&
        (std::fabs(dir.y) < 1e-7 || (p.y - pos.y) / dir.y > 0)) {
        bool westOpen = startType == 2 || startType == 4;  // the diagonal faces east
        if (westOpen ? dir.x <= 0 : dir.x >= 0)
            record(data, width, pos, p, cx, cy, westOpen ? kEast : kWest, 0, hit);
        else
            record(data, width, pos, p, cx, cy, dir.y < 0 ? kSouth : kNorth, 1, hit);
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
        const int type = data[(size_t(x) + size_t(y) * width) * 7];
        if (type != 0) {
            const int face = vertical ? (dir.x >= 0 ? kWest : kEast) : (dir.y < 0 ? kSouth : kNorth);
            bool openSide = vertical ? ((type == 3 || type == 5) && dir.x > 0) || ((type == 2 || type == 4) && dir.x < 0)
                                     : ((type == 2 || type == 3) && dir.y < 0) || ((type == 4 || type == 5) && dir.y > 0);
            if (!openSide) {
                record(data, width, pos, vertical ? Vec2{double(nextX), y1} : Vec2{x2, double(nextY)}, x, y, face,
                       vertical ? 0 : 1, hit);
                return;
            }
            if (diagonalPoint(type, x, y, pos, dir, p) && insideCell(p, x, y)) {
                record(data, width, pos, p, x, y, face, vertical ? 0 : 1, hit);
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
