// Circle overlap resolution between bodies and against wall corners.
#include "physics/collision.core.hpp"

#include <cmath>

namespace bv::physics {

bool resolveBodyOverlap(Point pos, Point& direction, Point& newPos, Point other, double radii, bool otherIsTrigger) {
    double vx = other.x - newPos.x, vy = other.y - newPos.y;
    double length = std::sqrt(vx * vx + vy * vy);
    double overlap = length - radii;  // negative while the circles overlap
    if (!(overlap < 0)) return false;
    if (otherIsTrigger) return true;
    if (length != 0) {  // coinciding centres give no direction to push along
        vx /= length;
        vy /= length;
    }
    direction.x += vx * overlap;
    direction.y += vy * overlap;
    newPos = {pos.x + direction.x, pos.y + direction.y};
    return true;
}

bool closestLineCircleIntersection(Point center, float radius, Point lineStart, Point lineEnd, Point& hit) {
    float dx = float(lineEnd.x - lineStart.x);
    float dy = float(lineEnd.y - lineStart.y);
    double ox = lineStart.x - center.x, oy = lineStart.y - center.y;
    float a = dx * dx + dy * dy;
    float b = float(2 * (dx * ox + dy * oy));
    float c = float(ox * ox + oy * oy - radius * radius);
    if (a <= 1e-7f) return false;
    float det = b * b - 4 * a * c;
    if (det < 0) return false;
    float t;
    if (det == 0) {
        t = -b / (2 * a);
    } else {
        float root = std::sqrt(det);
        float t1 = (-b + root) / (2 * a);
        float t2 = (-b - root) / (2 * a);
        t = t2 < 0 ? t1 : t2;  // from inside the circle (or past it) only the far point can lie ahead
    }
    if (!(t > 0)) return false;
    hit = {lineStart.x + t * dx, lineStart.y + t * dy};
    return true;
}

}  // namespace bv::physics
