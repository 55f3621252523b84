// The uniform grid of body centres and the query for one mover's possible contacts.
#include "physics/broad_phase.core.hpp"

#include <algorithm>
#include <cmath>

namespace bv::physics {

namespace {
constexpr double kFarCoordinate = 1e15;  // centres beyond this are not binned
constexpr double kRadiusCapFactor = 4;   // radii above this many times the median are not binned
constexpr double kMinRadiusCap = 0.5;

bool binnable(Point c) { return std::fabs(c.x) < kFarCoordinate && std::fabs(c.y) < kFarCoordinate; }
}  // namespace

bool queryReach(double moverRadius, double maxRadius, Point at, double& reach, double& slack) {
    double radii = moverRadius + maxRadius;
    if (!std::isfinite(radii) || !binnable(at)) return false;
    // Covers the rounding of the cell arithmetic and of the overlap test with a wide margin.
    double margin = 1e-6 * (1 + std::fabs(at.x) + std::fabs(at.y) + std::fabs(radii));
    slack = std::max(0.5 * radii, 1e-3);
    reach = std::max(radii, 0.0) + slack + 2 * margin;
    return std::isfinite(reach);  // giants past about 1.2e308 reach past every double: visit them all
}

void BodyGrid::build(const std::vector<BodyEntry>& bodies) {
    size_t n = bodies.size();
    cellOf_.assign(n, -1);
    next_.assign(n, -1);
    radius_.resize(n);
    irregular_.assign(n, false);

    std::vector<double> radii;
    for (size_t i = 0; i < n; ++i) {
        radius_[i] = bodies[i].radius;
        irregular_[i] = bodies[i].irregular;
        if (!bodies[i].irregular && binnable(bodies[i].centre) && std::isfinite(bodies[i].radius))
            radii.push_back(std::fabs(bodies[i].radius));
    }
    radiusCap_ = kMinRadiusCap;
    if (!radii.empty()) {
        std::nth_element(radii.begin(), radii.begin() + radii.size() / 2, radii.end());
        radiusCap_ = std::max(kMinRadiusCap, kRadiusCapFactor * radii[radii.size() / 2]);
    }

    maxRadius_ = 0;
    for (size_t i = 0; i < n; ++i)
        if (!alwaysVisited(int32_t(i))) maxRadius_ = std::max(maxRadius_, radius_[i]);

    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        const BodyEntry& b = bodies[i];
        if (alwaysVisited(int32_t(i)) || !binnable(b.centre)) continue;
        if (!any) {
            minX = maxX = b.centre.x;
            minY = maxY = b.centre.y;
            any = true;
        }
        minX = std::min(minX, b.centre.x);
        maxX = std::max(maxX, b.centre.x);
        minY = std::min(minY, b.centre.y);
        maxY = std::max(maxY, b.centre.y);
    }
    // Cells about as wide as the reach of a query, but never many more cells than bodies.
    double width = maxX - minX, height = maxY - minY;
    double count = double(std::max<size_t>(n, 1));
    cell_ = std::max({3 * maxRadius_, std::sqrt(width * height / (4 * count)), std::max(width, height) / (4 * count),
                      1e-9 * (1 + std::fabs(minX) + std::fabs(minY))});
    originX_ = minX;
    originY_ = minY;
    columns_ = int32_t(width / cell_) + 1;
    rows_ = int32_t(height / cell_) + 1;
    head_.assign(size_t(columns_) * size_t(rows_) + 1, -1);

    for (size_t i = n; i-- > 0;) {  // linked from the last so each cell lists its bodies in member order
        link(int32_t(i), alwaysVisited(int32_t(i)) ? bucket() : cellIndex(bodies[i].centre));
    }
}

int32_t BodyGrid::clampedColumn(double x) const {
    double c = std::floor((x - originX_) / cell_);
    return c < 0 ? 0 : c >= columns_ ? columns_ - 1 : int32_t(c);
}

int32_t BodyGrid::clampedRow(double y) const {
    double r = std::floor((y - originY_) / cell_);
    return r < 0 ? 0 : r >= rows_ ? rows_ - 1 : int32_t(r);
}

bool BodyGrid::alwaysVisited(int32_t index) const {
    double r = radius_[size_t(index)];
    return irregular_[size_t(index)] || !(std::isfinite(r) && r <= radiusCap_);
}

int32_t BodyGrid::cellIndex(Point p) const {
    if (!binnable(p)) return bucket();
    return clampedRow(p.y) * columns_ + clampedColumn(p.x);
}

void BodyGrid::link(int32_t index, int32_t cell) {
    cellOf_[size_t(index)] = cell;
    next_[size_t(index)] = head_[size_t(cell)];
    head_[size_t(cell)] = index;
}

void BodyGrid::unlink(int32_t index) {
    int32_t* p = &head_[size_t(cellOf_[size_t(index)])];
    while (*p != index) p = &next_[size_t(*p)];
    *p = next_[size_t(index)];
}

void BodyGrid::move(int32_t index, Point centre) {
    if (alwaysVisited(index)) return;
    int32_t cell = cellIndex(centre);
    if (cell == cellOf_[size_t(index)]) return;
    unlink(index);
    link(index, cell);
}

bool BodyGrid::gather(Point at, double reach, int32_t after, std::vector<int32_t>& out) const {
    size_t first = out.size();
    int32_t c0 = clampedColumn(at.x - reach), c1 = clampedColumn(at.x + reach);
    int32_t r0 = clampedRow(at.y - reach), r1 = clampedRow(at.y + reach);
    if (double(c1 - c0 + 1) * double(r1 - r0 + 1) > double(size()) + 8) return false;
    auto collect = [&](int32_t cell) {
        for (int32_t i = head_[size_t(cell)]; i >= 0; i = next_[size_t(i)])
            if (i > after) out.push_back(i);
    };
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c) collect(r * columns_ + c);
    collect(bucket());
    std::sort(out.begin() + std::ptrdiff_t(first), out.end());
    return true;
}

}  // namespace bv::physics
