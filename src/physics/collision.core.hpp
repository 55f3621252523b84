// Circle geometry of the collision bodies: overlap resolution between two circles and the
// intersection of a line with a circle.
#pragma once
#include "geometry/vec.core.hpp"

namespace bv::physics {

using Point = _internal_Vec2;

// Resolves the mover's circle against another body's circle. The mover starts at `pos`, moves by
// `direction` and would end at `newPos`; `radii` is the sum of both radii. When the circles overlap
// at `newPos` it is a contact: unless `otherIsTrigger`, `direction` is pushed back along the line
// between the centres by the overlap and `newPos` becomes pos + direction. Returns the contact.
bool resolveBodyOverlap(Point pos, Point& direction, Point& newPos, Point other, double radii, bool otherIsTrigger);

// The first point ahead of `lineStart` where the line through `lineStart` and `lineEnd` meets the circle
// (`center`, `radius`), in single precision; the point may lie beyond `lineEnd`. False when the line
// misses the circle, is degenerate, or meets it only behind or exactly at the start.
bool closestLineCircleIntersection(Point center, float radius, Point lineStart, Point lineEnd, Point& hit);

}  // namespace bv::physics
