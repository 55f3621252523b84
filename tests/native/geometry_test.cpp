// The plain vector and rotation-matrix records.
#include "check.hpp"
#include "geometry/vec.core.hpp"

#include <cmath>

using namespace bv;

namespace {
bool near(double a, double b) { return std::fabs(a - b) < 1e-12; }
}  // namespace

TEST(matrixFieldOrderIsX2X1Y1Y2) {
    _internal_Matrix2_2 m{1.0, 2.0, 3.0, 4.0};
    CHECK(m.x2 == 1.0 && m.x1 == 2.0 && m.y1 == 3.0 && m.y2 == 4.0);
    static_assert(sizeof(_internal_Matrix2_2) == 4 * sizeof(double));
    static_assert(sizeof(_internal_Vec2) == 2 * sizeof(double));
}

TEST(setAngleMakesACounterClockwiseRotation) {
    _internal_Matrix2_2 m{};
    _internal_matrix2_2_setAngle(m, M_PI / 2);
    CHECK(near(m.x1, 0.0) && m.x2 == -1.0 && m.y1 == 1.0 && near(m.y2, 0.0));
    _internal_Vec2 v = _internal_matrix2_2_apply(m, {1.0, 0.0});
    CHECK(near(v.x, 0.0) && near(v.y, 1.0));  // x turns towards y
    _internal_matrix2_2_setAngle(m, 0.3);
    v = _internal_matrix2_2_apply(m, {2.0, -1.0});
    CHECK(near(v.x, 2.0 * std::cos(0.3) + std::sin(0.3)) && near(v.y, 2.0 * std::sin(0.3) - std::cos(0.3)));
    CHECK(near(std::hypot(v.x, v.y), std::sqrt(5.0)));
}

TEST(angleConstants) {
    CHECK(_RAD_TO_DEGREES == 57.29577951308232);
    CHECK(_DEGREES_TO_RAD == 0.017453292519943295);
}
