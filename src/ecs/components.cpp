// The standard components: position, velocity, rotation and collision, with their level-file forms.
#include "ecs/components.hpp"

#include "common/error_context.hpp"
#include "common/overridable.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "ecs/vector_fields.hpp"

namespace bv {

PyTypeObject* PositionComponentType;
PyTypeObject* VelocityComponentType;
PyTypeObject* RotationComponentType;
PyTypeObject* CollisionComponentType;

double recordNumber(PyObject* value, const char* key) {
    try {
        return toDouble(value);
    } catch (const PyError&) {
        rethrowWithContext(std::string(key) + " = " + reprText(value));
    }
}

namespace {

// --- shared helpers ---------------------------------------------------------------------------

// float(value) of a record's entry, which also takes numeric text ("0.5"); a value it refuses
// names its key, as recordNumber does.
double recordFloat(PyObject* value, const char* key) {
    Ref f = Ref::steal(PyNumber_Float(value));
    if (!f) rethrowWithContext(std::string(key) + " = " + reprText(value));
    return toDouble(f.get());
}

// A Vector2 argument stored as given; None (or missing) gives a new vector (x, y).
void initVector(PyObject*& field, PyObject* arg, const char* name, double x, double y) {
    if (arg && arg != Py_None) {
        checkArg(arg, Vector2Type, name, false);
        setRef(field, arg);
    } else {
        Ref v = Ref::checked(newVector2(x, y));
        setRef(field, v);
    }
    noteMutation();
}

Vector2Object* vectorOrThrow(PyObject* field, const char* name) {
    Vector2Object* v = readVector(field);
    if (!v) {
        PyErr_Format(PyExc_AttributeError, "the component's %s is None", name);
        throwPy();
    }
    return v;
}

// The vector of a field, replaced by a new (0, 0) vector when it holds None.
Vector2Object* ensureVector(PyObject*& field) {
    if (Vector2Object* v = readVector(field)) return v;
    Ref v = Ref::checked(newVector2(0, 0));
    setRef(field, v);
    return reinterpret_cast<Vector2Object*>(field);
}

// input[key], KeyError when missing.
Ref required(PyObject* input, const char* key) { return Ref::checked(PyObject_GetItem(input, intern(key))); }

// input[key] or null when the key is absent.
Ref optional(PyObject* input, const char* key) {
    int has = check(PySequence_Contains(input, intern(key)));
    return has ? required(input, key) : Ref();
}

// Sets x and y of a vector field from the "x" and "y" entries of a record.
void loadVector(PyObject*& field, PyObject* input) {
    Ref x = required(input, "x"), y = required(input, "y");
    double vx = recordNumber(x, "x"), vy = recordNumber(y, "y");
    Vector2Object* v = ensureVector(field);
    v->x = vx;
    v->y = vy;
    noteMutation();
}

PyObject* vectorDict(PyObject* field, const char* name) {
    Vector2Object* v = vectorOrThrow(field, name);
    return check(Py_BuildValue("{s:d,s:d}", "x", double(v->x), "y", double(v->y)));
}

// A property over one coordinate of a vector field.
template <class T, PyObject* T::*M, Vector2Coord Vector2Object::*C>
PyObject* getCoord(PyObject* self, void* name) {
    return guard([&] {
        return PyFloat_FromDouble(vectorOrThrow(reinterpret_cast<T*>(self)->*M, static_cast<const char*>(name))->*C);
    });
}
template <class T, PyObject* T::*M, Vector2Coord Vector2Object::*C>
int setCoord(PyObject* self, PyObject* value, void* name) {
    return guardInt([&] {
        double d = toDouble(value);
        vectorOrThrow(reinterpret_cast<T*>(self)->*M, static_cast<const char*>(name))->*C = d;
        noteMutation();
        return 0;
    });
}
template <class T, PyObject* T::*M, Vector2Coord Vector2Object::*C>
constexpr PyGetSetDef coord(const char* name, const char* vectorName) {
    PyGetSetDef d = computed<setCoord<T, M, C>>(name, getCoord<T, M, C>);
    d.closure = const_cast<char*>(vectorName);
    return d;
}

// The initialiser and level-file record of a component made of one Vector2 field, `Name`, which a
// missing or None argument sets to a new vector (X, Y).
template <class T, PyObject* T::*Field, Literal Class, Literal Name, int X, int Y>
struct OneVectorComponent {
    static int init(PyObject* self, PyObject* args, PyObject* kwargs) {
        return guardInt([&] {
            BV_PARSE_INIT(Class.text, 0, Name.text);
            initVector(reinterpret_cast<T*>(self)->*Field, a[0], Name.text, X, Y);
            return 0;
        });
    }
    static PyObject* loadFromDict(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
        return guard([&] {
            BV_PARSE("loadFromDict", 2, "level", "input");
            loadVector(reinterpret_cast<T*>(self)->*Field, a[1]);
            return none();
        });
    }
    static PyObject* dumpToDict(PyObject* self, PyObject*) {
        return guard([&] { return vectorDict(reinterpret_cast<T*>(self)->*Field, Name.text); });
    }
};

// --- PositionComponent -------------------------------------------------------------------------

using Position = OneVectorComponent<PositionComponentObject, &PositionComponentObject::pos, "PositionComponent", "pos", 0, 0>;

PyMethodDef positionMethods[] = {
    BV_METHOD("loadFromDict", Position::loadFromDict, "Sets the position from the record's \"x\" and \"y\"."),
    BV_METHOD_ARG("dumpToDict", Position::dumpToDict, "level", "The record {\"x\", \"y\"} of the position."),
    BV_METHODS_END,
};

PyGetSetDef positionProps[] = {
    coord<PositionComponentObject, &PositionComponentObject::pos, &Vector2Object::x>("x", "pos"),
    coord<PositionComponentObject, &PositionComponentObject::pos, &Vector2Object::y>("y", "pos"),
    propsEnd(),
};

PyMemberDef positionVectors[] = {
    vectorMember("pos", offsetof(PositionComponentObject, pos)),
    vectorMember("_pos", offsetof(PositionComponentObject, pos)),
    {},
};

ClassRegistration positionReg("PositionComponent", [] {
    ClassSpec spec = specFor<PositionComponentObject>("PositionComponent");
    spec.doc = "The position of an entity in level units.";
    spec.methods = positionMethods;
    spec.getset = positionProps;
    spec.init = Position::init;
    spec.extraSlots = {{Py_tp_members, positionVectors},
                       {Py_tp_setattro, reinterpret_cast<void*>(vectorFieldsSetattro<positionVectors, &PositionComponentType>)}};
    return PositionComponentType = createType(spec);
});

// --- VelocityComponent -------------------------------------------------------------------------

VelocityComponentObject* asVelocity(PyObject* o) { return reinterpret_cast<VelocityComponentObject*>(o); }

int Velocity_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("VelocityComponent", 0, "velocity", "impulse", "friction");
        VelocityComponentObject* v = asVelocity(self);
        if (a[0] && a[0] != Py_None) checkArg(a[0], Vector2Type, "velocity", false);
        if (a[1] && a[1] != Py_None) checkArg(a[1], Vector2Type, "impulse", false);
        double friction = a[2] ? toDouble(a[2]) : 2.0;
        initVector(v->velocity, a[0], "velocity", 0, 0);
        initVector(v->impulse, a[1], "impulse", 0, 0);
        v->friction = friction;
        return 0;
    });
}

PyObject* Velocity_loadFromDict(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("loadFromDict", 2, "level", "input");
        VelocityComponentObject* v = asVelocity(self);
        PyObject* input = a[1];
        Ref x = required(input, "x"), y = required(input, "y");
        double vx = recordNumber(x, "x"), vy = recordNumber(y, "y");
        Ref impulse = optional(input, "impulse");
        double ix = 0, iy = 0;
        if (impulse) {
            Ref rx = required(impulse, "x"), ry = required(impulse, "y");
            ix = recordNumber(rx, "impulse.x");
            iy = recordNumber(ry, "impulse.y");
        }
        Ref friction = optional(input, "friction");
        double f = friction ? recordFloat(friction, "friction") : v->friction;
        Vector2Object* vel = ensureVector(v->velocity);
        vel->x = vx;
        vel->y = vy;
        if (impulse) {
            Vector2Object* imp = ensureVector(v->impulse);
            imp->x = ix;
            imp->y = iy;
        }
        noteMutation();
        v->friction = f;
        return none();
    });
}

PyObject* Velocity_dumpToDict(PyObject* self, PyObject*) {
    return guard([&] {
        VelocityComponentObject* v = asVelocity(self);
        Vector2Object* vel = vectorOrThrow(v->velocity, "velocity");
        Ref d = Ref::checked(Py_BuildValue("{s:d,s:d,s:d}", "x", double(vel->x), "y", double(vel->y), "friction", v->friction));
        Vector2Object* imp = readVector(v->impulse);
        if (imp && (imp->x != 0 || imp->y != 0)) {
            Ref i = Ref::checked(Py_BuildValue("{s:d,s:d}", "x", double(imp->x), "y", double(imp->y)));
            check(PyDict_SetItemString(d, "impulse", i));
        }
        return d.release();
    });
}

PyMethodDef velocityMethods[] = {
    BV_METHOD("loadFromDict", Velocity_loadFromDict,
              "Sets the velocity from \"x\" and \"y\", and the optional \"impulse\" and \"friction\"."),
    BV_METHOD_ARG("dumpToDict", Velocity_dumpToDict, "level", "The record of the velocity, friction and a non-zero impulse."),
    BV_METHODS_END,
};

PyGetSetDef velocityProps[] = {
    coord<VelocityComponentObject, &VelocityComponentObject::velocity, &Vector2Object::x>("x", "velocity"),
    coord<VelocityComponentObject, &VelocityComponentObject::velocity, &Vector2Object::y>("y", "velocity"),
    rw<&VelocityComponentObject::friction>("friction"),
    rw<&VelocityComponentObject::friction>("_friction"),
    propsEnd(),
};

PyMemberDef velocityVectors[] = {
    vectorMember("velocity", offsetof(VelocityComponentObject, velocity)),
    vectorMember("_velocity", offsetof(VelocityComponentObject, velocity)),
    vectorMember("impulse", offsetof(VelocityComponentObject, impulse)),
    vectorMember("_impulse", offsetof(VelocityComponentObject, impulse)),
    {},
};

ClassRegistration velocityReg("VelocityComponent", [] {
    ClassSpec spec = specFor<VelocityComponentObject>("VelocityComponent");
    spec.doc = "Velocity, one-shot impulse and friction of a moving entity.";
    spec.methods = velocityMethods;
    spec.getset = velocityProps;
    spec.init = Velocity_init;
    spec.extraSlots = {{Py_tp_members, velocityVectors},
                       {Py_tp_setattro, reinterpret_cast<void*>(vectorFieldsSetattro<velocityVectors, &VelocityComponentType>)}};
    return VelocityComponentType = createType(spec);
});

// --- RotationComponent -------------------------------------------------------------------------

using Rotation = OneVectorComponent<RotationComponentObject, &RotationComponentObject::dir, "RotationComponent", "dir", 1, 0>;

PyMethodDef rotationMethods[] = {
    BV_METHOD("loadFromDict", Rotation::loadFromDict, "Sets the direction from the record's \"x\" and \"y\"."),
    BV_METHOD_ARG("dumpToDict", Rotation::dumpToDict, "level", "The record {\"x\", \"y\"} of the direction."),
    BV_METHODS_END,
};

PyMemberDef rotationVectors[] = {
    vectorMember("dir", offsetof(RotationComponentObject, dir)),
    vectorMember("_dir", offsetof(RotationComponentObject, dir)),
    {},
};

ClassRegistration rotationReg("RotationComponent", [] {
    ClassSpec spec = specFor<RotationComponentObject>("RotationComponent");
    spec.doc = "The facing direction of an entity.";
    spec.methods = rotationMethods;
    spec.init = Rotation::init;
    spec.extraSlots = {{Py_tp_members, rotationVectors},
                       {Py_tp_setattro, reinterpret_cast<void*>(vectorFieldsSetattro<rotationVectors, &RotationComponentType>)}};
    return RotationComponentType = createType(spec);
});

// --- CollisionComponent ------------------------------------------------------------------------

CollisionComponentObject* asCollision(PyObject* o) { return reinterpret_cast<CollisionComponentObject*>(o); }

void checkFlagList(PyObject* value) {
    if (value == Py_None || PyList_Check(value)) return;
    PyErr_Format(PyExc_TypeError, "Expected %.16s, got %.200s", "list", Py_TYPE(value)->tp_name);
    throwPy();
}

// A flag list argument: the given list itself, or a new empty list of this component's own.
Ref flagList(PyObject* arg) {
    if (!arg) return Ref::checked(PyList_New(0));
    checkFlagList(arg);
    return Ref::borrow(arg);
}

int Collision_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("CollisionComponent", 0, "radius", "isOnlyTrigger", "hasFlags", "ignoreFlags");
        double radius = a[0] ? toDouble(a[0]) : 0.25;
        bool trigger = a[1] ? truth(a[1]) : false;
        Ref has = flagList(a[2]), ignore = flagList(a[3]);
        CollisionComponentObject* c = asCollision(self);
        c->radius = radius;
        c->isOnlyTrigger = trigger;
        setRef(c->hasFlags, has);
        setRef(c->ignoreFlags, ignore);
        noteMutation();
        return 0;
    });
}

// A flag list entry of a record: a non-empty list is stored itself, anything false a new list.
Ref loadFlags(PyObject* input, const char* key) {
    Ref v = optional(input, key);
    if (v && truth(v)) {
        if (!PyList_Check(v)) checkFlagList(v);
        return v;
    }
    return Ref::checked(PyList_New(0));
}

PyObject* Collision_loadFromDict(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("loadFromDict", 2, "level", "input");
        PyObject* input = a[1];
        Ref r = optional(input, "radius");
        double radius = r ? recordFloat(r, "radius") : 0.25;
        Ref t = optional(input, "isOnlyTrigger");
        bool trigger = t ? truth(t) : false;
        Ref has = loadFlags(input, "hasFlags"), ignore = loadFlags(input, "ignoreFlags");
        CollisionComponentObject* c = asCollision(self);
        c->radius = radius;
        c->isOnlyTrigger = trigger;
        setRef(c->hasFlags, has);
        setRef(c->ignoreFlags, ignore);
        noteMutation();
        return none();
    });
}

PyObject* Collision_dumpToDict(PyObject* self, PyObject*) {
    return guard([&] {
        CollisionComponentObject* c = asCollision(self);
        return check(Py_BuildValue("{s:d,s:O,s:O,s:O}", "radius", c->radius, "isOnlyTrigger",
                                   c->isOnlyTrigger ? Py_True : Py_False, "hasFlags", orNone(c->hasFlags),
                                   "ignoreFlags", orNone(c->ignoreFlags)));
    });
}

template <PyObject* CollisionComponentObject::*M>
PyObject* getFlags(PyObject* self, void*) {
    return newRefOrNone(asCollision(self)->*M);
}
template <PyObject* CollisionComponentObject::*M>
int setFlags(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        checkFlagList(value);
        setRef(asCollision(self)->*M, value);
        noteMutation();
        return 0;
    });
}

PyMethodDef collisionMethods[] = {
    BV_METHOD("loadFromDict", Collision_loadFromDict,
              "Sets every field from the record; omitted entries take their defaults."),
    BV_METHOD_ARG("dumpToDict", Collision_dumpToDict, "level", "The record of the radius, trigger flag and flag lists."),
    BV_METHODS_END,
};

PyGetSetDef collisionProps[] = {
    rwNoted<&CollisionComponentObject::radius>("radius"),
    rwNoted<&CollisionComponentObject::radius>("_radius"),
    rw<&CollisionComponentObject::isOnlyTrigger>("isOnlyTrigger"),
    rw<&CollisionComponentObject::isOnlyTrigger>("_isOnlyTrigger"),
    computed<setFlags<&CollisionComponentObject::hasFlags>>("hasFlags", getFlags<&CollisionComponentObject::hasFlags>),
    computed<setFlags<&CollisionComponentObject::hasFlags>>("_hasFlags", getFlags<&CollisionComponentObject::hasFlags>),
    computed<setFlags<&CollisionComponentObject::ignoreFlags>>("ignoreFlags",
                                                               getFlags<&CollisionComponentObject::ignoreFlags>),
    computed<setFlags<&CollisionComponentObject::ignoreFlags>>("_ignoreFlags",
                                                               getFlags<&CollisionComponentObject::ignoreFlags>),
    propsEnd(),
};

ClassRegistration collisionReg("CollisionComponent", [] {
    ClassSpec spec = specFor<CollisionComponentObject>("CollisionComponent");
    spec.doc = "The collision circle of an entity, its trigger flag and its collision flags.";
    spec.methods = collisionMethods;
    spec.getset = collisionProps;
    spec.init = Collision_init;
    return CollisionComponentType = createType(spec);
});

}  // namespace

}  // namespace bv
