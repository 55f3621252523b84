// MovementSystem: moves entities by velocity and impulse, against collision bodies and level walls.
#include "common/klass.hpp"
#include "common/mutation_epoch.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "level/level.hpp"
#include "physics/bodies.hpp"
#include "physics/collision_bodies.hpp"
#include "physics/collision_event.hpp"
#include "physics/frame_bodies.hpp"
#include "physics/movement.core.hpp"
#include "input/event_subscribers.hpp"

namespace bv {

PyTypeObject* MovementSystemType;

namespace {

using physics::plainEntity;
using physics::plainFlags;
using physics::Point;

struct MovementSystemObject : SystemObject {
    PyObject* level;  // Level or None
    PyObject* cbs;    // CollisionBodySystem or None
    bool broadPhase;  // update visits only the bodies near each mover (same results as visiting all)

    void construct() { broadPhase = true; }

    void refs(auto&& f) {
        SystemObject::refs(f);
        f(level);
        f(cbs);
    }
};

MovementSystemObject* asMovement(PyObject* o) { return reinterpret_cast<MovementSystemObject*>(o); }
bool isSet(PyObject* field) { return field && field != Py_None; }

// True when the mover's ignore flags are compared with other bodies' flags: a list with items, or
// anything other than a list (which the comparison rejects).
bool readsFlags(const CollisionComponentObject* mover) {
    PyObject* flags = mover->ignoreFlags;
    return isSet(flags) && !(PyList_CheckExact(flags) && PyList_GET_SIZE(flags) == 0);
}

Overridable updateEntityMethod("_updateEntity");

int MovementSystem_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("MovementSystem", 1, "level");
        checkArg(a[0], LevelType, "level");
        Ref types = Ref::checked(PyTuple_Pack(2, reinterpret_cast<PyObject*>(PositionComponentType),
                                              reinterpret_cast<PyObject*>(VelocityComponentType)));
        MovementSystemObject* m = asMovement(self);
        systemInit(m, types);
        setRef(m->level, a[0]);
        Ref cbs = Ref::checked(PyObject_CallNoArgs(reinterpret_cast<PyObject*>(CollisionBodySystemType)));
        setRef(m->cbs, cbs);
        return 0;
    });
}

// True when firing a collision event could reach Python code: an overridden fireEvent or a
// subscriber of CollisionEvent.
bool collisionListened(PyObject* engine) {
    if (!engine_methods::fireEvent.isNative(engine)) return true;
    Ref table = Ref::borrow(engineClassAttr(intern("_eventSubscribers")));
    if (!PyDict_CheckExact(table.get())) return true;
    PyObject* handlers = PyDict_GetItemWithError(table, reinterpret_cast<PyObject*>(CollisionEventType));
    if (!handlers && PyErr_Occurred()) throwPy();
    return handlers && !(PyList_CheckExact(handlers) && PyList_GET_SIZE(handlers) == 0);
}

// Fires CollisionEvent(entity, other) through the system's engine; without an engine or listeners the
// event is not made. Returns true when Python code may have run.
bool fireCollision(MovementSystemObject* self, PyObject* entity, PyObject* other) {
    if (!isSet(self->engine)) return false;
    Ref engine = Ref::borrow(self->engine);
    if (!collisionListened(engine)) return false;
    Ref evt = callObject(reinterpret_cast<PyObject*>(CollisionEventType), entity, orNone(other));
    fireEvent(engine, evt);
    return true;
}

// True when a flag of the mover's ignore list is among the other body's flags. `foreign` is set when
// the comparisons may have run Python code.
bool ignores(const CollisionComponentObject* mover, const CollisionComponentObject* other, bool& foreign) {
    Ref ignoreFlags = Ref::borrow(mover->ignoreFlags);  // comparisons run Python code that may replace it
    if (!isSet(ignoreFlags) || !isSet(other->hasFlags)) return false;
    if (!PyList_Check(ignoreFlags.get())) {
        PyErr_SetString(PyExc_TypeError, "CollisionComponent.ignoreFlags must be a list");
        throwPy();
    }
    Ref hasFlags = Ref::borrow(other->hasFlags);
    if (!plainFlags(ignoreFlags.get()) || !plainFlags(hasFlags.get())) foreign = true;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(ignoreFlags.get()); ++i) {
        Ref flag = Ref::borrow(PyList_GET_ITEM(ignoreFlags.get(), i));
        if (check(PySequence_Contains(hasFlags, flag))) return true;
    }
    return false;
}

// The other body's collision component and centre; false (reported as unraisable) when its data is unusable.
bool readBody(PyObject* body, Ref& collision, Point& center, bool& foreign) {
    if (!plainEntity(body)) foreign = true;  // its components are asked for through getComponent
    try {
        collision = physics::requireComponent(body, CollisionComponentType);
        Ref position = physics::requireComponent(body, PositionComponentType);
        center = physics::pointOf(physics::vectorField(
            reinterpret_cast<PositionComponentObject*>(position.get())->pos, "PositionComponent.pos"));
        return true;
    } catch (const PyError&) {
        reportUnraisable("_collisionDist");
        foreign = true;
        return false;
    }
}

// The mover's move as it stands during the body loop.
struct Move {
    PyObject* entity;
    PyObject* colComp;
    Point pos, direction, newPos;
};

// Tests the move against one body, correcting it and firing an event on contact. Returns true when
// Python code may have run.
bool testBody(MovementSystemObject* self, Move& move, PyObject* body) {
    bool foreign = false;
    Ref collision;
    Point center;
    if (!readBody(body, collision, center, foreign) || collision.get() == move.colComp) return foreign;
    auto* mover = reinterpret_cast<CollisionComponentObject*>(move.colComp);
    auto* other = reinterpret_cast<CollisionComponentObject*>(collision.get());
    if (ignores(mover, other, foreign)) return foreign;
    if (physics::resolveBodyOverlap(move.pos, move.direction, move.newPos, center, mover->radius + other->radius,
                                    other->isOnlyTrigger))
        foreign |= fireCollision(self, move.entity, body);
    return foreign;
}

// Resolves the move against the bodies of `bodies`, in member order. With a frame grid only the bodies
// near the mover are visited. The walk goes on past Python code that changed nothing the grid was
// built from; after a change the grid is checked again and the walk resumes, a few times per mover,
// after which the plain loop does the rest.
bool resolveAgainstBodies(MovementSystemObject* self, Move& move, PyObject* bodies, physics::FrameBodies* frame) {
    constexpr int kResumes = 2;
    bool foreign = false;
    int32_t next = 0;
    auto* mover = reinterpret_cast<CollisionComponentObject*>(move.colComp);
    for (int walk = 0; frame && walk <= kResumes && plainFlags(mover->ignoreFlags); ++walk) {
        const physics::BodyGrid& grid = frame->grid(bodies, readsFlags(mover));
        foreign = false;  // the grid has caught up with whatever ran
        if (size_t(next) >= grid.size()) return false;
        physics::WalkEnd end =
            physics::walkBodies(grid, mover->radius, move.newPos, next - 1, frame->scratch, [&](int32_t i) {
                Ref body = Ref::borrow(PyList_GET_ITEM(bodies, i));
                bool changed = testBody(self, move, body) && (!frame->keepAfterForeign() || readsFlags(mover));
                return changed ? physics::Visit::interrupted : physics::Visit::done;
            });
        if (end.next < 0) return false;
        next = end.next;
        if (!end.interrupted) break;
        foreign = true;
        frame->invalidate();
    }
    // By index, re-reading the size: event handlers may change the list.
    for (Py_ssize_t i = next; i < PyList_GET_SIZE(bodies); ++i) {
        Ref body = Ref::borrow(PyList_GET_ITEM(bodies, i));
        foreign |= testBody(self, move, body);
    }
    return foreign;
}

// Resolves the move against every other collision body, then pushes the result out of the level's walls.
// The position changes only when the whole move succeeds. `frame` (may be null) is told about Python
// code that may have run and about the position written.
void moveWithCollisionDetection(MovementSystemObject* self, PyObject* entity, PyObject* posComp, PyObject* colComp,
                                Point direction, physics::FrameBodies* frame) {
    bool foreign = false;
    try {
        Ref posVector = Ref::borrow(reinterpret_cast<PyObject*>(physics::vectorField(
            reinterpret_cast<PositionComponentObject*>(posComp)->pos, "PositionComponent.pos")));
        auto* mover = reinterpret_cast<CollisionComponentObject*>(colComp);
        Point pos = physics::pointOf(reinterpret_cast<Vector2Object*>(posVector.get()));
        Move move{entity, colComp, pos, direction, {pos.x + direction.x, pos.y + direction.y}};

        if (isSet(self->cbs)) {
            Ref cbs = Ref::borrow(self->cbs);
            Ref bodies = Ref::borrow(reinterpret_cast<SystemObject*>(cbs.get())->entities);
            if (bodies && !PyList_Check(bodies.get())) {
                PyErr_SetString(PyExc_TypeError, "CollisionBodySystem._entities must be a list");
                throwPy();
            }
            if (bodies) foreign = resolveAgainstBodies(self, move, bodies, frame);
        }

        if (isSet(self->level)) {
            Ref level = Ref::borrow(self->level);
            for (int i = 0; i < physics::kProbeCount; ++i) {
                const level::Grid& grid = reinterpret_cast<LevelObject*>(level.get())->grid;  // handlers may reload it
                const level::GridView view = grid.view();
                if (i == 0 && frame && !physics::wallWithin(view, pos, mover->radius)) break;
                if (physics::pushOutOfWall(view, pos, i, mover->radius, move.newPos))
                    foreign |= fireCollision(self, entity, nullptr);
            }
        }

        auto* target = reinterpret_cast<Vector2Object*>(posVector.get());
        target->x = move.newPos.x;
        target->y = move.newPos.y;
        noteMutation();
        if (frame) frame->moved(target);
    } catch (const PyError&) {
        reportUnraisable("MovementSystem._moveWithCollisionDetection");
        foreign = true;
    }
    if (frame && foreign && !frame->keepAfterForeign()) frame->invalidate();
}

// `frame` is the broad phase of the running update, or null for the plain loop.
void updateEntity(MovementSystemObject* self, PyObject* entity, double timeStep, physics::FrameBodies* frame) {
    if (frame && !plainEntity(entity)) frame->invalidate();  // components asked for through getComponent
    Ref posComp = physics::requireComponent(entity, PositionComponentType);
    Ref velComp = physics::requireComponent(entity, VelocityComponentType);
    Ref colComp = physics::componentOf(entity, CollisionComponentType);

    auto* vel = reinterpret_cast<VelocityComponentObject*>(velComp.get());
    Vector2Object* impulse = physics::vectorField(vel->impulse, "VelocityComponent.impulse");
    physics::FrictionStep step = physics::applyFriction(physics::pointOf(impulse), vel->friction, timeStep);
    if (step.cleared) {
        impulse->x = impulse->y = 0;
        noteMutation();
        if (frame) frame->moved(impulse);  // the same vector may place a body
    } else {  // the shortened impulse is a new vector
        if (frame && !Py_IS_TYPE(impulse, Vector2Type)) frame->invalidate();  // releasing it may run Python code
        Ref shortened = Ref::checked(newVector2(step.impulse.x, step.impulse.y));
        setRef(vel->impulse, shortened);
    }
    Point velocity = physics::pointOf(physics::vectorField(vel->velocity, "VelocityComponent.velocity"));
    Point direction{(velocity.x + step.impulse.x) * timeStep, (velocity.y + step.impulse.y) * timeStep};

    if (colComp) {
        moveWithCollisionDetection(self, entity, posComp, colComp, direction, frame);
        return;
    }
    Vector2Object* pos = physics::vectorField(reinterpret_cast<PositionComponentObject*>(posComp.get())->pos,
                                              "PositionComponent.pos");
    pos->x += direction.x;
    pos->y += direction.y;
    noteMutation();
    if (frame) frame->moved(pos);
}

PyObject* MovementSystem_updateEntity(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("_updateEntity", 2, "entity", "timeStep");
        updateEntity(asMovement(self), a[0], toDouble(a[1]), nullptr);
        return none();
    });
}

// AbstractSystem.update with a direct path to the native _updateEntity.
PyObject* MovementSystem_update(PyObject* self, PyObject* timeStep) {
    return guard([&] {
        MovementSystemObject* m = asMovement(self);
        if (!m->entities) return none();
        Ref members = snapshot(m->entities);
        bool native = updateEntityMethod.isNative(self);
        double step = native ? toDouble(timeStep) : 0;
        physics::FrameBodies frame;
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(members.get()); ++i) {
            PyObject* entity = PyList_GET_ITEM(members.get(), i);
            if (native)
                updateEntity(m, entity, step, m->broadPhase ? &frame : nullptr);
            else
                updateEntityMethod.call(self, entity, timeStep);
        }
        return none();
    });
}

// Keeps the collision-body system in the same Ecs, directly after this system.
PyObject* MovementSystem_setEcs(PyObject* self, PyObject* ecs) {
    return guard([&] {
        checkArg(ecs, EcsType, "ecs");
        MovementSystemObject* m = asMovement(self);
        Ref cbs = Ref::borrow(m->cbs);
        if (isSet(m->ecs) && isSet(cbs)) {
            Ref old = Ref::borrow(m->ecs);
            callMethod(intern("removeSystem"), old.get(), cbs.get());
        }
        setRef(m->ecs, ecs);
        if (ecs != Py_None && isSet(cbs)) callMethod(intern("addSystem"), ecs, cbs.get());
        return none();
    });
}

PyObject* MovementSystem_setEngine(PyObject* self, PyObject* engine) {
    return guard([&] {
        checkArg(engine, EngineType, "engine");
        MovementSystemObject* m = asMovement(self);
        setRef(m->engine, engine);
        Ref cbs = Ref::borrow(m->cbs);
        if (isSet(cbs)) callMethod(intern("_setEngine"), cbs.get(), engine);
        return none();
    });
}

PyMethodDef methods[] = {
    BV_METHOD("_updateEntity", MovementSystem_updateEntity,
              "Applies friction to the impulse and moves the entity by (velocity + impulse) * timeStep."),
    BV_METHOD_ARG("update", MovementSystem_update, "timeStep", "Moves every member entity."),
    BV_METHOD_ARG("_setEcs", MovementSystem_setEcs, "ecs", "Also adds the collision-body system to (or removes it from) the Ecs."),
    BV_METHOD_ARG("_setEngine", MovementSystem_setEngine, "engine", "Also hands the engine to the collision-body system."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    ro<&MovementSystemObject::cbs>("collisionBodySystem", "The companion system holding all collision bodies."),
    rwTyped<&MovementSystemObject::level, &LevelType>("_level"),
    rwTyped<&MovementSystemObject::cbs, &CollisionBodySystemType>("_cbs"),
    rw<&MovementSystemObject::broadPhase>("_broadPhase"),
    propsEnd(),
};

ClassRegistration reg("MovementSystem", [] {
    ClassSpec spec = specFor<MovementSystemObject>("MovementSystem", AbstractSystemType);
    spec.doc = "Moves entities by velocity and impulse, stopping them at other collision bodies and level walls.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = MovementSystem_init;
    MovementSystemType = createType(spec);
    updateEntityMethod.bind(MovementSystemType);
    return MovementSystemType;
});

}  // namespace

}  // namespace bv
