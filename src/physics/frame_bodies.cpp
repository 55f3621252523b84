// The per-frame body index of MovementSystem.update: collision bodies binned by centre.
#include "physics/frame_bodies.hpp"

#include "common/dict_version.hpp"
#include "common/mutation_epoch.hpp"
#include "ecs/ecs.hpp"

#include <algorithm>
#include <cstring>

namespace bv::physics {

namespace {

bool plainFlag(PyObject* flag) {
    richcmpfunc compare = Py_TYPE(flag)->tp_richcompare;
    return PyUnicode_CheckExact(flag) || PyLong_CheckExact(flag) || !compare ||
           compare == PyBaseObject_Type.tp_richcompare;
}

PyObject* component(PyObject* entity, PyTypeObject* type) {
    PyObject* c = PyDict_GetItemWithError(reinterpret_cast<EntityObject*>(entity)->components,
                                          reinterpret_cast<PyObject*>(type));
    if (!c) PyErr_Clear();
    return c && PyObject_TypeCheck(c, type) ? c : nullptr;
}

// The body's entry as the plain loop would read it; irregular when reading it could fail or call Python.
BodyEntry entryOf(PyObject* entity, const Vector2Object*& position) {
    position = nullptr;
    if (!plainEntity(entity)) return {{0, 0}, 0, true};
    PyObject* pos = component(entity, PositionComponentType);
    PyObject* col = component(entity, CollisionComponentType);
    if (!pos || !col) return {{0, 0}, 0, true};
    const Vector2Object* v = readVector(reinterpret_cast<PositionComponentObject*>(pos)->pos);
    auto* collision = reinterpret_cast<CollisionComponentObject*>(col);
    if (!v || !plainFlags(collision->hasFlags)) return {{0, 0}, 0, true};
    position = v;
    return {pointOf(v), collision->radius, false};
}

}  // namespace

bool plainEntity(PyObject* entity) {
    if (!PyObject_TypeCheck(entity, EntityType)) return false;
    PyObject* components = reinterpret_cast<EntityObject*>(entity)->components;
    return components && PyDict_CheckExact(components);
}

bool plainFlags(PyObject* flags) {
    if (!flags || flags == Py_None) return true;
    if (!PyList_CheckExact(flags)) return false;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(flags); ++i)
        if (!plainFlag(PyList_GET_ITEM(flags, i))) return false;
    return true;
}

const BodyGrid& FrameBodies::grid(PyObject* bodies, bool readsFlags) {
    bool sameList = bodies == list_.get() && size_t(PyList_GET_SIZE(bodies)) == grid_.size();
    if (sameList && fresh_ && !(readsFlags && flagsStale_)) return grid_;
    if (!(sameList && revalidate(bodies))) rebuild(bodies);
    list_ = Ref::borrow(bodies);
    PyObject** items = reinterpret_cast<PyListObject*>(bodies)->ob_item;
    members_.assign(items, items + PyList_GET_SIZE(bodies));
    epoch_ = mutationEpoch;
    dicts_ = dictsVersion();
    fresh_ = true;
    flagsStale_ = false;
    return grid_;
}

bool FrameBodies::keepAfterForeign() {
    if (!fresh_) return false;
    PyObject* list = list_.get();
    size_t n = size_t(PyList_GET_SIZE(list));
    bool dictsSame = dictsUnchangedSince(dicts_);  // always renews the reading
    fresh_ = dictsSame && mutationEpoch == epoch_ && n == members_.size() &&
             std::memcmp(reinterpret_cast<PyListObject*>(list)->ob_item, members_.data(), n * sizeof(PyObject*)) == 0;
    flagsStale_ = true;
    return fresh_;
}

bool FrameBodies::revalidate(PyObject* bodies) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Vector2Object* position;
        BodyEntry e = entryOf(PyList_GET_ITEM(bodies, Py_ssize_t(i)), position);
        BodyEntry& known = entries_[i];
        if (position != vectors_[i] || e.irregular != known.irregular ||
            std::memcmp(&e.radius, &known.radius, sizeof(double)) != 0)
            return false;
        if (e.centre.x != known.centre.x || e.centre.y != known.centre.y) {
            known.centre = e.centre;
            grid_.move(int32_t(i), e.centre);
        }
    }
    return true;
}

void FrameBodies::rebuild(PyObject* bodies) {
    size_t n = size_t(PyList_GET_SIZE(bodies));
    entries_.resize(n);
    vectors_.resize(n);
    byVector_.clear();
    for (size_t i = 0; i < n; ++i) {
        entries_[i] = entryOf(PyList_GET_ITEM(bodies, Py_ssize_t(i)), vectors_[i]);
        if (vectors_[i]) byVector_.emplace_back(vectors_[i], int32_t(i));
    }
    std::sort(byVector_.begin(), byVector_.end());
    grid_.build(entries_);
}

void FrameBodies::moved(const Vector2Object* v) {
    if (!fresh_) return;
    if (mutationEpoch != epoch_ + 1) {  // something else was written since the grid was current
        fresh_ = false;
        return;
    }
    epoch_ = mutationEpoch;
    auto it = std::lower_bound(byVector_.begin(), byVector_.end(), std::make_pair(v, int32_t(-1)));
    for (; it != byVector_.end() && it->first == v; ++it) {
        entries_[size_t(it->second)].centre = pointOf(v);
        grid_.move(it->second, pointOf(v));
    }
}

}  // namespace bv::physics
