// Membership in lists of identity-compared objects: a pointer walk instead of a rich compare each.
#include "common/identity_lists.hpp"

#include "common/overridable.hpp"

namespace bv {

namespace {

constexpr Py_ssize_t kAbsent = -1;
constexpr Py_ssize_t kAskPython = -2;

bool comparesByIdentity(PyObject* o) { return Py_TYPE(o)->tp_richcompare == PyBaseObject_Type.tp_richcompare; }

// The index of item in list, kAbsent, or kAskPython when some element's == could answer otherwise.
// Runs no Python code, so the list cannot change under the walk.
Py_ssize_t identityIndex(PyObject* seq, PyObject* item) {
    if (!PyList_CheckExact(seq) || !comparesByIdentity(item)) return kAskPython;
    PyObject** items = reinterpret_cast<PyListObject*>(seq)->ob_item;
    for (Py_ssize_t i = 0, n = PyList_GET_SIZE(seq); i < n; ++i) {
        if (items[i] == item) return i;
        if (!comparesByIdentity(items[i])) return kAskPython;
    }
    return kAbsent;
}

}  // namespace

bool sequenceContains(PyObject* seq, PyObject* item) {
    Py_ssize_t i = identityIndex(seq, item);
    if (i != kAskPython) return i != kAbsent;
    return check(PySequence_Contains(seq, item));
}

void removeItem(PyObject* seq, PyObject* item) {
    Py_ssize_t i = identityIndex(seq, item);
    if (i >= 0)
        check(PySequence_DelItem(seq, i));
    else
        callMethod(intern("remove"), seq, item);
}

void removeIfContained(PyObject* seq, PyObject* item) {
    if (sequenceContains(seq, item)) removeItem(seq, item);
}

}  // namespace bv
