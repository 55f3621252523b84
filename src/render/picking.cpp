// Picking on the last frame of a RaycastingRenderer: the entity, world position or cell under a
// target pixel.
#include <cmath>

#include "common/args.hpp"
#include "common/klass.hpp"
#include "render/raycasting_renderer.hpp"
#include "render/sprite_order.hpp"
#include "render/truncate.core.hpp"

namespace bv {

namespace {

RaycastingRendererObject* asRR(PyObject* o) { return reinterpret_cast<RaycastingRendererObject*>(o); }

struct ScreenPoint {
    int32_t x, y;
    PixelView target;
    CameraObject* cam;
    const Hit* hit;  // the wall hit of column x
};

ScreenPoint screenPoint(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                        const char* fname) {
    BV_PARSE(fname, 2, "x", "y");
    ScreenPoint p{toInt32(a[0]), toInt32(a[1]), {}, nullptr, nullptr};
    RaycastingRendererObject* r = asRR(self);
    p.target = targetOf(r);
    p.cam = cameraOf(r);
    if (p.x < 0 || p.x >= p.target.width || size_t(p.x) >= r->hitBuf.size()) {
        PyErr_Format(PyExc_IndexError, "x must lie in 0 <= x < %d (the target width), got %d", p.target.width, p.x);
        throwPy();
    }
    p.hit = &r->hitBuf[size_t(p.x)];
    return p;
}

double baselineOf(const ScreenPoint& p) { return 0.5 * p.target.height + p.cam->pitch; }

PyObject* RR_getEntityAtScreenCoords(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        ScreenPoint p = screenPoint(self, args, nargs, kwnames, "getEntityAtScreenCoords");
        const double wallDist = p.hit->length, baseline = baselineOf(p);
        const int w = p.target.width, h = p.target.height;
        auto* camPos = reinterpret_cast<Vector2Object*>(p.cam->pos);
        const _internal_Matrix2_2 inverse = viewInverse(reinterpret_cast<Vector2Object*>(p.cam->dir));
        PyObject* found = nullptr;
        for (const SpriteEntity& e : sortFarToNear(asRR(self)->entities, camPos, /*withAngles=*/false)) {
            _internal_Vec2 rel = _internal_matrix2_2_apply(inverse, {e.pos->x - camPos->x, e.pos->y - camPos->y});
            const double depth = rel.x;
            if (!(depth > 0 && depth <= wallDist)) continue;
            const int64_t screenX = truncSat(w / 2.0 + w * rel.y / depth);
            const int64_t half = truncSat(h / p.cam->ratio / depth);
            const int64_t left = screenX - half, top = truncSat(baseline - double(half));
            if (left <= p.x && p.x <= left + 2 * half && top <= p.y && p.y <= top + 2 * half) found = e.entity;
        }
        return newRefOrNone(found);
    });
}

// (kind, a, b): 1 floor or 2 ceiling with the world position, else the wall face and its cell.
PyObject* worldUnderScreen(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                           const char* fname, bool cells) {
    return guard([&] {
        ScreenPoint p = screenPoint(self, args, nargs, kwnames, fname);
        const double baseline = baselineOf(p), D = p.target.height / p.cam->ratio;
        const Hit& hit = *p.hit;
        const int64_t half = hit.invalid || hit.length == 0 ? 0 : truncSat(D / hit.length);
        int kind;
        double dist;
        if (p.y > baseline + double(half)) {
            kind = 1;
            dist = D / (p.y - baseline);
        } else if (p.y < baseline - double(half)) {
            kind = 2;
            dist = D / (baseline - p.y);
        } else {
            return check(Py_BuildValue("(iii)", hit.cardinalDirection, hit.cellX, hit.cellY));
        }
        auto* camPos = reinterpret_cast<Vector2Object*>(p.cam->pos);
        Ref wx = Ref::checked(PyFloat_FromDouble(camPos->x + dist * hit.rayDir.x));
        Ref wy = Ref::checked(PyFloat_FromDouble(camPos->y + dist * hit.rayDir.y));
        if (cells) {
            wx = Ref::checked(PyNumber_Long(wx));
            wy = Ref::checked(PyNumber_Long(wy));
        }
        return check(Py_BuildValue("(iOO)", kind, wx.get(), wy.get()));
    });
}

PyObject* RR_getWorldPosByScreenCoords(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return worldUnderScreen(self, args, nargs, kwnames, "getWorldPosByScreenCoords", false);
}
PyObject* RR_getWorldCellByScreenCoords(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return worldUnderScreen(self, args, nargs, kwnames, "getWorldCellByScreenCoords", true);
}

}  // namespace

PyMethodDef pickingMethods[] = {
    BV_METHOD("getEntityAtScreenCoords", RR_getEntityAtScreenCoords,
              "The entity whose sprite is under target pixel (x, y) in the last frame, or None."),
    BV_METHOD("getWorldPosByScreenCoords", RR_getWorldPosByScreenCoords,
              "(1, x, y) on the floor, (2, x, y) on the ceiling, or (face, cellX, cellY) on a wall, under "
              "target pixel (x, y)."),
    BV_METHOD("getWorldCellByScreenCoords", RR_getWorldCellByScreenCoords,
              "Like getWorldPosByScreenCoords, with the floor and ceiling positions as cells."),
    BV_METHODS_END,
};

}  // namespace bv
