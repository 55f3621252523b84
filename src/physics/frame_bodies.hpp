// The broad phase of one MovementSystem.update: the collision bodies binned by centre, kept current
// while the frame moves them, and dropped when foreign (Python) code changed what it was built from.
#pragma once
#include "physics/bodies.hpp"
#include "physics/broad_phase.core.hpp"

#include <utility>
#include <vector>

namespace bv::physics {

class FrameBodies {
public:
    // The grid over the member list `bodies`, built again when stale or made for another list. A mover
    // that `readsFlags` (compares its ignore flags with the bodies' flags) also needs the flag lists
    // checked again after foreign code ran.
    const BodyGrid& grid(PyObject* bodies, bool readsFlags);
    // Foreign code may have changed any body, the list or the flags: rebuild before the next use.
    void invalidate() { fresh_ = false; }
    // Foreign (Python) code has run. Keeps the grid when nothing it was built from can have changed: no
    // mutation noted, no dict changed, the same members in the list. The flag lists, which can change
    // in place unseen, are left to be checked for the next mover that reads them. False when dropped.
    bool keepAfterForeign();
    // The frame wrote `v` natively, right after noting the mutation: re-bins the bodies whose position it is.
    void moved(const Vector2Object* v);
    std::vector<int32_t> scratch;  // candidate indices of one query

private:
    // Re-reads every body of an unchanged list and re-bins those that moved; false when anything the
    // grid was built from (radius, flags, position vector) changed.
    bool revalidate(PyObject* bodies);
    void rebuild(PyObject* bodies);

    bool fresh_ = false;
    bool flagsStale_ = false;  // foreign code ran since the flag lists were read
    uint64_t epoch_ = 0;  // the mutation epoch when the grid was last current
    uint64_t dicts_ = 0;  // a reading of the dicts' version counter since then
    Ref list_;                        // the list the grid was built from
    std::vector<PyObject*> members_;  // its items then
    BodyGrid grid_;
    std::vector<BodyEntry> entries_;
    std::vector<const Vector2Object*> vectors_;  // position vector of each regular body
    std::vector<std::pair<const Vector2Object*, int32_t>> byVector_;  // sorted: position vector -> body
};

// True when looking the entity's components up reads its dict without calling Python code.
bool plainEntity(PyObject* entity);
// True when a membership test between flag lists of these items cannot call Python code: None, or an
// exact list of str, int or objects compared by identity.
bool plainFlags(PyObject* flags);

}  // namespace bv::physics
