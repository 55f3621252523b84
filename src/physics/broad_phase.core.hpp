// Broad phase of the body loop: a uniform grid over body centres that finds, for one mover, the
// bodies it could touch, so the per-body test runs on those alone and in member order.
#pragma once
#include "physics/collision.core.hpp"

#include <cstdint>
#include <vector>

namespace bv::physics {

struct BodyEntry {
    Point centre;
    double radius;
    bool irregular;  // data the grid cannot vouch for: visited by every mover
};

class BodyGrid {
public:
    // Bins the bodies by centre. Irregular bodies, non-finite centres or radii and radii far above
    // the typical one go to a bucket that every query returns.
    void build(const std::vector<BodyEntry>& bodies);
    // Re-bins body `index` after its centre changed.
    void move(int32_t index, Point centre);
    size_t size() const { return cellOf_.size(); }
    // Largest radius among the binned bodies (at least 0).
    double maxRadius() const { return maxRadius_; }
    // Appends, in ascending order, the bodies after `after` whose centre may lie within `reach` of
    // `at` (every body outside the result is certainly farther). False when the query would cover
    // more cells than there are bodies: the caller is better served by visiting them all.
    bool gather(Point at, double reach, int32_t after, std::vector<int32_t>& out) const;

private:
    // Irregular bodies and bodies of unusable or outsized radius live in the bucket.
    bool alwaysVisited(int32_t index) const;
    // The cell of a centre; centres the grid cannot place go to the bucket.
    int32_t cellIndex(Point p) const;
    int32_t bucket() const { return int32_t(head_.size() - 1); }
    int32_t clampedColumn(double x) const;
    int32_t clampedRow(double y) const;
    void link(int32_t index, int32_t cell);
    void unlink(int32_t index);

    double originX_ = 0, originY_ = 0, cell_ = 1, maxRadius_ = 0, radiusCap_ = 0;
    int32_t columns_ = 1, rows_ = 1;
    std::vector<int32_t> head_;    // first body of each cell; the last cell is the always-visited bucket
    std::vector<int32_t> next_;    // next body of the same cell, -1 at the end
    std::vector<int32_t> cellOf_;  // cell of each body
    std::vector<double> radius_;
    std::vector<bool> irregular_;
};

// What a visit of one body did: `interrupted` when it may have run foreign code, after which
// nothing the grid knows can be trusted.
enum class Visit { done, interrupted };

// Where the walk ended: `next` is the first body still to visit, -1 when the walk covered every body;
// `interrupted` when a visit stopped it (rather than a query the grid could not answer usefully).
struct WalkEnd {
    int32_t next;
    bool interrupted;
};

// The reach of one query around `at` and the drift from `at` it tolerates; false when they are not
// usable numbers.
bool queryReach(double moverRadius, double maxRadius, Point at, double& reach, double& slack);

// Visits, in member order, every body after `after` that could overlap a mover of radius
// `moverRadius` whose corrected position `newPos` the visits update. Bodies left out are provably
// farther than the sum of both radii from every position `newPos` takes; when a correction carries the
// mover beyond the reach of the last query, the grid is queried again for the remaining bodies.
template <class VisitFn>
WalkEnd walkBodies(const BodyGrid& grid, double moverRadius, const Point& newPos, int32_t after,
                   std::vector<int32_t>& scratch, VisitFn&& visit) {
    double reach, slack;
    Point anchor = newPos;
    scratch.clear();
    if (!queryReach(moverRadius, grid.maxRadius(), anchor, reach, slack) || !grid.gather(anchor, reach, after, scratch))
        return {after + 1, false};
    size_t k = 0;
    while (k < scratch.size()) {
        int32_t index = scratch[k++];
        if (visit(index) == Visit::interrupted) return {index + 1, true};
        double dx = newPos.x - anchor.x, dy = newPos.y - anchor.y;
        if (dx * dx + dy * dy <= slack * slack) continue;
        anchor = newPos;  // moved too far from the last query: ask again for the bodies after this one
        scratch.clear();
        if (!queryReach(moverRadius, grid.maxRadius(), anchor, reach, slack) ||
            !grid.gather(anchor, reach, index, scratch))
            return {index + 1, false};
        k = 0;
    }
    return {-1, false};
}

}  // namespace bv::physics
