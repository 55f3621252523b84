// Sorting a renderer's sprite entities far to near from the camera.
#include "render/sprite_order.hpp"

#include <algorithm>
#include <cmath>

#include "ecs/ecs.hpp"

namespace bv {

namespace {

template <class T>
T* componentOf(PyObject* entity, PyTypeObject* type) {
    if (!PyObject_TypeCheck(entity, EntityType)) return nullptr;
    PyObject* components = reinterpret_cast<EntityObject*>(entity)->components;
    if (!components || !PyDict_Check(components)) return nullptr;
    PyObject* c = PyDict_GetItemWithError(components, reinterpret_cast<PyObject*>(type));
    if (!c && PyErr_Occurred()) throwPy();
    return c && PyObject_TypeCheck(c, type) ? reinterpret_cast<T*>(c) : nullptr;
}

}  // namespace

_internal_Matrix2_2 viewInverse(const Vector2Object* camDir) {
    _internal_Matrix2_2 m;
    double degrees = std::atan2(camDir->y, camDir->x) * _RAD_TO_DEGREES;
    _internal_matrix2_2_setAngle(m, (360 - degrees) * _DEGREES_TO_RAD);
    return m;
}

std::vector<SpriteEntity> sortFarToNear(PyObject* entities, const Vector2Object* camPos, bool withAngles) {
    if (!entities || !PyList_Check(entities)) return {};
    struct Entry {
        double dist;
        Ref entity;
        SpriteEntity drawable;
    };
    std::vector<Entry> entries;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(entities); i++) {
        PyObject* e = PyList_GET_ITEM(entities, i);
        Entry entry{0.0, Ref::borrow(e), {e, nullptr, nullptr}};
        auto* position = componentOf<PositionComponentObject>(e, PositionComponentType);
        auto* sprite = componentOf<SpriteComponentObject>(e, SpriteComponentType);
        Vector2Object* pos = position ? readVector(position->pos) : nullptr;
        if (sprite && pos) {
            double rx = 1, ry = 0;
            auto* rotation = componentOf<RotationComponentObject>(e, RotationComponentType);
            if (Vector2Object* facing = rotation ? readVector(rotation->dir) : nullptr) rx = facing->x, ry = facing->y;
            sprite::CameraRelation rel = sprite::cameraRelation(camPos->x, camPos->y, pos->x, pos->y, rx, ry);
            sprite->dist = rel.dist;
            if (withAngles) sprite->angleToCam = rel.angleToCam;
            entry.dist = rel.dist;
            entry.drawable = {e, sprite, pos};
        }
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.dist > b.dist; });
    Ref sorted = Ref::checked(PyList_New(Py_ssize_t(entries.size())));
    std::vector<SpriteEntity> drawable;
    for (size_t i = 0; i < entries.size(); i++) {
        PyList_SET_ITEM(sorted.get(), Py_ssize_t(i), Py_NewRef(entries[i].entity.get()));
        if (entries[i].drawable.sprite) drawable.push_back(entries[i].drawable);
    }
    check(PyList_SetSlice(entities, 0, PyList_GET_SIZE(entities), sorted));
    return drawable;
}

}  // namespace bv
