// A counter advanced by every change to what places or shapes a collision body that does not go
// through a dict: the coordinates of any Vector2, a component's vector field, a collision radius or
// flag list, an entity's component dict. Code that writes such state natively advances it too, so a
// reader that saw the same value before and after foreign code ran knows none of it changed.
#pragma once
#include <cstdint>

namespace bv {

inline uint64_t mutationEpoch = 0;

inline void noteMutation() { ++mutationEpoch; }

}  // namespace bv
