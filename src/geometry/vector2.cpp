// Vector2: construction, arithmetic, string form, normalisation, angles and the angle constants.
#include "geometry/vector2.hpp"

#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "geometry/vec.core.hpp"

#include <structmember.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace bv {

PyTypeObject* Vector2Type;

namespace {

// Freed Vector2s of the exact type, kept with their floats (held by nobody else) for the next new
// vector, which then costs two writes of a double: Vector2 is the engine's most made object.
constexpr int kSpareVectors = 64;
Vector2Object* spare[kSpareVectors];
int spareCount = 0;

void Vector2_dealloc(PyObject* self) {
    auto* v = reinterpret_cast<Vector2Object*>(self);
    PyTypeObject* type = Py_TYPE(self);
    if (type == Vector2Type && spareCount < kSpareVectors && v->x.soleHolder() && v->y.soleHolder()) {
        spare[spareCount++] = v;
    } else {
        v->destroy();
        type->tp_free(self);
    }
    Py_DECREF(type);
}

// A new Vector2 of `type` holding the floats `fx` and `fy` (references taken over; either may be
// null when making it failed, which gives null).
PyObject* vectorOfFloats(PyTypeObject* type, PyObject* fx, PyObject* fy) {
    PyObject* self = nullptr;
    if (fx && fy) {
        if (type == Vector2Type) {
            self = static_cast<PyObject*>(PyObject_Malloc(sizeof(Vector2Object)));
            if (self) PyObject_Init(self, type);
            else PyErr_NoMemory();
        } else {
            self = type->tp_alloc(type, 0);
        }
    }
    if (!self) {
        Py_XDECREF(fx);
        Py_XDECREF(fy);
        return nullptr;
    }
    auto* v = reinterpret_cast<Vector2Object*>(self);
    v->x.start(fx);
    v->y.start(fy);
    return self;
}

}  // namespace

PyObject* newVector2(double x, double y) {
    if (spareCount) {
        Vector2Object* v = spare[--spareCount];
        PyObject_Init(reinterpret_cast<PyObject*>(v), Vector2Type);
        v->x = x;  // in place: the floats are held by nobody else
        v->y = y;
        return reinterpret_cast<PyObject*>(v);
    }
    return vectorOfFloats(Vector2Type, PyFloat_FromDouble(x), PyFloat_FromDouble(y));
}

namespace {

Vector2Object* vec(PyObject* o) { return reinterpret_cast<Vector2Object*>(o); }

double lengthOf(const Vector2Object* v) { return std::sqrt(v->x * v->x + v->y * v->y); }

Vector2Object* otherVector(PyObject* other) {
    if (!isVector2(other)) checkArg(other, Vector2Type, "other", /*allowNone=*/false);  // raises
    return vec(other);
}

// Vector2.__new__: (0, 0) until __init__ sets it, like every new vector.
PyObject* Vector2_new(PyTypeObject* type, PyObject*, PyObject*) {
    return vectorOfFloats(type, PyFloat_FromDouble(0.0), PyFloat_FromDouble(0.0));
}

int Vector2_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Vector2", 2, "x", "y");
        double x = toDouble(a[0]), y = toDouble(a[1]);
        vec(self)->x = x;
        vec(self)->y = y;
        noteMutation();
        return 0;
    });
}

// Vector2(x, y) without the generic new/init protocol (set on Vector2 itself; subclasses don't inherit it).
PyObject* Vector2_vectorcall(PyObject*, PyObject* const* args, size_t nargsf, PyObject* kwnames) {
    return guard([&] {
        Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
        if (nargs == 2 && !kwnames) {
            double x = toDouble(args[0]), y = toDouble(args[1]);
            return newVector2(x, y);
        }
        BV_PARSE("Vector2", 2, "x", "y");
        double x = toDouble(a[0]), y = toDouble(a[1]);
        return newVector2(x, y);
    });
}

PyObject* Vector2_add(PyObject* a, PyObject* b) {
    if (!isVector2(a)) Py_RETURN_NOTIMPLEMENTED;
    return guard([&] {
        Vector2Object* o = otherVector(b);
        return newVector2(vec(a)->x + o->x, vec(a)->y + o->y);
    });
}

PyObject* Vector2_subtract(PyObject* a, PyObject* b) {
    if (!isVector2(a)) Py_RETURN_NOTIMPLEMENTED;
    return guard([&] {
        Vector2Object* o = otherVector(b);
        return newVector2(vec(a)->x - o->x, vec(a)->y - o->y);
    });
}

// Vector times vector is the dot product; vector times number scales. A number on the left is unsupported.
PyObject* Vector2_multiply(PyObject* a, PyObject* b) {
    if (!isVector2(a)) Py_RETURN_NOTIMPLEMENTED;
    Vector2Object* v = vec(a);
    if (PyFloat_CheckExact(b)) return newVector2(v->x * PyFloat_AS_DOUBLE(b), v->y * PyFloat_AS_DOUBLE(b));
    if (isVector2(b)) return PyFloat_FromDouble(v->x * vec(b)->x + v->y * vec(b)->y);
    double f = PyFloat_AsDouble(b);
    if (f == -1.0 && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_TypeError)) return nullptr;
        PyErr_Clear();
        Py_RETURN_NOTIMPLEMENTED;
    }
    return newVector2(v->x * f, v->y * f);
}

PyObject* Vector2_str(PyObject* self) {
    const char* fmt = "Vector2(%f, %f)";
    double x = vec(self)->x, y = vec(self)->y;
    char small[96];
    int n = std::snprintf(small, sizeof small, fmt, x, y);
    if (n < int(sizeof small)) return PyUnicode_FromStringAndSize(small, n);
    std::string big(size_t(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), fmt, x, y);
    return PyUnicode_FromStringAndSize(big.data(), n);
}

PyObject* Vector2_normalize(PyObject* self, PyObject*) {
    Vector2Object* v = vec(self);
    double len = lengthOf(v);
    if (len != 0.0) {
        v->x /= len;
        v->y /= len;
        noteMutation();
    }
    return none();
}

PyObject* Vector2_copy(PyObject* self, PyObject*) { return newVector2(vec(self)->x, vec(self)->y); }

PyObject* Vector2_getDegrees(PyObject* self, PyObject*) {
    return PyFloat_FromDouble(std::atan2(vec(self)->y, vec(self)->x) * _RAD_TO_DEGREES);
}

// The unsigned angle in radians. `other` may be any object supporting `self * other` and `.length`.
double angleTo(PyObject* self, PyObject* other) {
    double dot, otherLength;
    if (isVector2(other)) {
        dot = vec(self)->x * vec(other)->x + vec(self)->y * vec(other)->y;
        otherLength = lengthOf(vec(other));
    } else {
        dot = toDouble(Ref::checked(PyNumber_Multiply(self, other)));
        otherLength = toDouble(Ref::checked(PyObject_GetAttrString(other, "length")));
    }
    double lengths = lengthOf(vec(self)) * otherLength;
    if (lengths == 0.0) {
        PyErr_SetString(PyExc_ZeroDivisionError, "float division by zero");
        throwPy();
    }
    double c = dot / lengths;
    if (c > 1.0) c = 1.0;
    if (c < -1.0) c = -1.0;
    return std::acos(c);
}

PyObject* Vector2_angleTo(PyObject* self, PyObject* other) {
    return guard([&] { return PyFloat_FromDouble(angleTo(self, other)); });
}

PyObject* Vector2_angleToInDegrees(PyObject* self, PyObject* other) {
    return guard([&] { return PyFloat_FromDouble(angleTo(self, other) * _RAD_TO_DEGREES); });
}

PyObject* Vector2_set(PyObject* self, PyObject* other) {
    return guard([&] {
        Vector2Object* o = otherVector(other);
        vec(self)->x = o->x;
        vec(self)->y = o->y;
        noteMutation();
        return none();
    });
}

PyObject* Vector2_addInPlace(PyObject* self, PyObject* other) {
    return guard([&] {
        Vector2Object* o = otherVector(other);
        vec(self)->x += o->x;
        vec(self)->y += o->y;
        noteMutation();
        return none();
    });
}

PyObject* Vector2_subInPlace(PyObject* self, PyObject* other) {
    return guard([&] {
        Vector2Object* o = otherVector(other);
        vec(self)->x -= o->x;
        vec(self)->y -= o->y;
        noteMutation();
        return none();
    });
}

PyObject* Vector2_scale(PyObject* self, PyObject* factor) {
    return guard([&] {
        double f = toDouble(factor);
        vec(self)->x *= f;
        vec(self)->y *= f;
        noteMutation();
        return none();
    });
}

PyObject* Vector2_rotate(PyObject* self, PyObject* degrees) {
    return guard([&] {
        double a = toDouble(degrees) * _DEGREES_TO_RAD;
        double c = std::cos(a), s = std::sin(a);
        Vector2Object* v = vec(self);
        double x = v->x, y = v->y;
        v->x = c * x - s * y;
        v->y = s * x + c * y;
        noteMutation();
        return none();
    });
}

PyObject* Vector2_negate(PyObject* self, PyObject*) {
    vec(self)->x = -vec(self)->x;
    vec(self)->y = -vec(self)->y;
    noteMutation();
    return none();
}

PyObject* Vector2_getLength(PyObject* self, void*) { return PyFloat_FromDouble(lengthOf(vec(self))); }

// Interned "x" and "y": attribute names in code objects are these very objects.
PyObject* nameX;
PyObject* nameY;

// The coordinate an attribute name stands for (x, y, _x, _y), or null.
Vector2Coord* coordNamed(PyObject* self, PyObject* name) {
    if (name == nameX) return &vec(self)->x;
    if (name == nameY) return &vec(self)->y;
    if (!PyUnicode_Check(name)) return nullptr;
    for (const char* n : {"x", "_x"})
        if (PyUnicode_CompareWithASCIIString(name, n) == 0) return &vec(self)->x;
    for (const char* n : {"y", "_y"})
        if (PyUnicode_CompareWithASCIIString(name, n) == 0) return &vec(self)->y;
    return nullptr;
}

// Writes to the coordinates: their members are read-only, so every write comes here, converts like
// any number argument and advances the mutation epoch. A subclass that defines its own attribute of
// such a name gets the generic path.
int Vector2_setattro(PyObject* self, PyObject* name, PyObject* value) {
    Vector2Coord* c = coordNamed(self, name);
    if (!c) return PyObject_GenericSetAttr(self, name, value);
    if (value && PyFloat_CheckExact(value) && Py_IS_TYPE(self, Vector2Type)) {
        c->take(value);
        noteMutation();
        return 0;
    }
    if (!Py_IS_TYPE(self, Vector2Type) && _PyType_Lookup(Py_TYPE(self), name) != _PyType_Lookup(Vector2Type, name))
        return PyObject_GenericSetAttr(self, name, value);
    if (!value) return refuseDelete();
    return guardInt([&] {
        if (PyFloat_CheckExact(value)) c->take(value);
        else *c = toDouble(value);
        noteMutation();
        return 0;
    });
}

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("normalize", Vector2_normalize, "Scales the vector to length 1 in place (a zero vector stays)."),
    BV_METHOD_NOARGS("copy", Vector2_copy, "A new vector with the same coordinates."),
    BV_METHOD_NOARGS("getDegrees", Vector2_getDegrees, "The direction in degrees, in (-180, 180]."),
    BV_METHOD_ARG("angleTo", Vector2_angleTo, "other", "The unsigned angle to another vector, in radians."),
    BV_METHOD_ARG("angleToInDegrees", Vector2_angleToInDegrees, "other", "The unsigned angle to another vector, in degrees."),
    BV_METHOD_ARG("set", Vector2_set, "other", "Copies the coordinates of another vector."),
    BV_METHOD_ARG("add", Vector2_addInPlace, "other", "Adds another vector in place."),
    BV_METHOD_ARG("sub", Vector2_subInPlace, "other", "Subtracts another vector in place."),
    BV_METHOD_ARG("scale", Vector2_scale, "other", "Multiplies both coordinates by a number in place."),
    BV_METHOD_ARG("rotate", Vector2_rotate, "degrees", "Rotates counter-clockwise by a number of degrees in place."),
    BV_METHOD_NOARGS("negate", Vector2_negate, "Negates both coordinates in place."),
    BV_METHODS_END,
};

// The coordinates' floats as read-only members (writes go through Vector2_setattro).
constexpr PyMemberDef coordMember(const char* name, Py_ssize_t coordOffset) {
    return {name, T_OBJECT_EX, coordOffset + Vector2Coord::floatOffset(), READONLY, nullptr};
}

PyMemberDef coords[] = {
    coordMember("x", offsetof(Vector2Object, x)),
    coordMember("y", offsetof(Vector2Object, y)),
    coordMember("_x", offsetof(Vector2Object, x)),
    coordMember("_y", offsetof(Vector2Object, y)),
    {},
};

PyGetSetDef props[] = {
    computed("length", Vector2_getLength),
    propsEnd(),
};

ClassRegistration reg("Vector2", [] {
    ClassSpec spec = specFor<Vector2Object>("Vector2");
    spec.doc = "A 2D vector of doubles.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Vector2_init;
    spec.tpNew = Vector2_new;
    spec.dealloc = Vector2_dealloc;
    spec.extraSlots = {
        {Py_nb_add, reinterpret_cast<void*>(Vector2_add)},
        {Py_nb_subtract, reinterpret_cast<void*>(Vector2_subtract)},
        {Py_nb_multiply, reinterpret_cast<void*>(Vector2_multiply)},
        {Py_tp_str, reinterpret_cast<void*>(Vector2_str)},
        {Py_tp_repr, reinterpret_cast<void*>(Vector2_str)},
        {Py_tp_setattro, reinterpret_cast<void*>(Vector2_setattro)},
        {Py_tp_members, coords},
    };
    // Immutable, so that replacing a coordinate's member cannot be bypassed by the direct writes.
    spec.flags |= Py_TPFLAGS_IMMUTABLETYPE;
    nameX = check(PyUnicode_InternFromString("x"));
    nameY = check(PyUnicode_InternFromString("y"));
    Vector2Type = createType(spec);
    Vector2Type->tp_vectorcall = Vector2_vectorcall;
    return Vector2Type;
});

StartupStep angleConstants(Startup::AngleConstants, [](PyObject* module) {
    check(PyModule_AddObjectRef(module, "_RAD_TO_DEGREES", Ref::checked(PyFloat_FromDouble(_RAD_TO_DEGREES))));
    check(PyModule_AddObjectRef(module, "_DEGREES_TO_RAD", Ref::checked(PyFloat_FromDouble(_DEGREES_TO_RAD))));
});

}  // namespace

}  // namespace bv
