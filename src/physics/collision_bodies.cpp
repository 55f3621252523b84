// CollisionBodySystem: the entities with a position and a collision circle.
#include "physics/collision_bodies.hpp"

#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "physics/bodies.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace bv {

PyTypeObject* CollisionBodySystemType;

namespace {

using physics::Point;

int CollisionBodySystem_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        if (PyTuple_GET_SIZE(args) || (kwargs && PyDict_GET_SIZE(kwargs))) {
            PyErr_SetString(PyExc_TypeError, "CollisionBodySystem() takes no arguments");
            throwPy();
        }
        Ref types = Ref::checked(PyTuple_Pack(2, reinterpret_cast<PyObject*>(PositionComponentType),
                                                 reinterpret_cast<PyObject*>(CollisionComponentType)));
        systemInit(reinterpret_cast<SystemObject*>(self), types);
        return 0;
    });
}

// Bodies keep their member list current; a frame has nothing to do.
PyObject* CollisionBodySystem_update(PyObject*, PyObject*) { return none(); }

struct Traced {
    Ref entity;
    double dist;
};

PyObject* CollisionBodySystem_traceEntities(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                                            PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("traceEntities", 3, "pos", "dir", "maxDist");
        checkArg(a[0], Vector2Type, "pos", false);
        checkArg(a[1], Vector2Type, "dir", false);
        double maxDist = toDouble(a[2]);
        Point start = physics::pointOf(reinterpret_cast<Vector2Object*>(a[0]));
        auto* dir = reinterpret_cast<Vector2Object*>(a[1]);
        double length = std::sqrt(dir->x * dir->x + dir->y * dir->y);
        if (length != 0) {
            dir->x /= length;
            dir->y /= length;
            noteMutation();
        }
        Point end{start.x + dir->x * maxDist, start.y + dir->y * maxDist};

        std::vector<Traced> found;
        Ref members = Ref::borrow(reinterpret_cast<SystemObject*>(self)->entities);
        if (members && !PyList_Check(members.get())) {
            PyErr_SetString(PyExc_TypeError, "CollisionBodySystem._entities must be a list");
            throwPy();
        }
        // By index: looking components up may run Python code that changes the list.
        for (Py_ssize_t i = 0; members && i < PyList_GET_SIZE(members.get()); ++i) {
            Ref entity = Ref::borrow(PyList_GET_ITEM(members.get(), i));
            Ref position = physics::requireComponent(entity, PositionComponentType);
            Ref collision = physics::requireComponent(entity, CollisionComponentType);
            Point center = physics::pointOf(physics::vectorField(
                reinterpret_cast<PositionComponentObject*>(position.get())->pos, "PositionComponent.pos"));
            float radius = float(reinterpret_cast<CollisionComponentObject*>(collision.get())->radius);
            Point hit;
            if (!physics::closestLineCircleIntersection(center, radius, start, end, hit)) continue;
            double dx = hit.x - start.x, dy = hit.y - start.y;
            double dist = std::sqrt(dx * dx + dy * dy);
            if (dist > 0 && dist < maxDist) found.push_back({std::move(entity), dist});
        }
        std::stable_sort(found.begin(), found.end(), [](const Traced& l, const Traced& r) { return l.dist < r.dist; });

        Ref result = Ref::checked(PyList_New(Py_ssize_t(found.size())));
        for (size_t i = 0; i < found.size(); ++i) {
            Ref dist = Ref::checked(PyFloat_FromDouble(found[i].dist));
            PyList_SET_ITEM(result.get(), Py_ssize_t(i), check(PyTuple_Pack(2, found[i].entity.get(), dist.get())));
        }
        return result.release();
    });
}

PyMethodDef methods[] = {
    BV_METHOD_ARG("update", CollisionBodySystem_update, "timeStep", "Does nothing: the member list is kept current by the Ecs."),
    BV_METHOD("traceEntities", CollisionBodySystem_traceEntities,
              "traceEntities(pos, dir, maxDist) -> [(entity, distance)]: the bodies the segment from pos along dir "
              "(normalised in place) passes through, nearest first."),
    BV_METHODS_END,
};

ClassRegistration reg("CollisionBodySystem", [] {
    ClassSpec spec = specFor<SystemObject>("CollisionBodySystem", AbstractSystemType);
    spec.doc = "Keeps the list of all collision bodies and traces segments against them.";
    spec.methods = methods;
    spec.init = CollisionBodySystem_init;
    return CollisionBodySystemType = createType(spec);
});

}  // namespace

}  // namespace bv
