// Membership in a list of objects that compare by identity, without Python's == for every element.
#pragma once
#include "common/py.hpp"

namespace bv {

// `item in seq`, answered by a plain pointer walk when seq is a list and neither item nor any element
// before a match overrides ==: the answer Python gives for such objects is identity.
bool sequenceContains(PyObject* seq, PyObject* item);

// `seq.remove(item)`, raising list.remove's own error when item is absent.
void removeItem(PyObject* seq, PyObject* item);

// `seq.remove(item)` if `item in seq`.
void removeIfContained(PyObject* seq, PyObject* item);

}  // namespace bv
