// Plain 2D vector and rotation-matrix records for the ray caster's and renderers' inner loops.
#pragma once
#include <cmath>

namespace bv {

inline constexpr double _RAD_TO_DEGREES = 180.0 / M_PI;
inline constexpr double _DEGREES_TO_RAD = M_PI / 180.0;

struct _internal_Vec2 {
    double x, y;
};

// Maps (vx, vy) to (x1*vx + x2*vy, y1*vx + y2*vy). Field order is part of the record's layout.
struct _internal_Matrix2_2 {
    double x2, x1, y1, y2;
};

// Makes `mat` the counter-clockwise rotation by `angle` radians.
inline void _internal_matrix2_2_setAngle(_internal_Matrix2_2& mat, double angle) {
    double s = std::sin(angle), c = std::cos(angle);
    mat.x1 = c;
    mat.x2 = -s;
    mat.y1 = s;
    mat.y2 = c;
}

inline _internal_Vec2 _internal_matrix2_2_apply(const _internal_Matrix2_2& mat, _internal_Vec2 v) {
    return {mat.x1 * v.x + mat.x2 * v.y, mat.y1 * v.x + mat.y2 * v.y};
}

}  // namespace bv
