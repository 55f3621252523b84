// SpriteAnimation: a named run of sheet frames with its speed, looping mode and view directions.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ecs/sprite.hpp"

namespace bv {

PyTypeObject* SpriteAnimationType;

namespace {

int32_t atLeast(PyObject* o, int32_t min, const char* name) {
    int32_t v = toInt32(o);
    if (v < min) {
        PyErr_Format(PyExc_ValueError, "SpriteAnimation %s must be at least %d (got %d)", name, int(min), int(v));
        throwPy();
    }
    return v;
}

int SpriteAnimation_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("SpriteAnimation", 6, "name", "frameCount", "oscillate", "speed", "startFrame", "directions");
        if (a[0] != Py_None && !PyUnicode_Check(a[0])) throwArgType("name", "str", a[0]);
        auto* s = reinterpret_cast<SpriteAnimationObject*>(self);
        int32_t frameCount = atLeast(a[1], 1, "frameCount");
        bool oscillate = truth(a[2]);
        double speed = toDouble(a[3]);
        int32_t startFrame = atLeast(a[4], 0, "startFrame");
        int32_t directions = atLeast(a[5], 1, "directions");
        if (int64_t(startFrame) + frameCount > INT32_MAX) {
            PyErr_Format(PyExc_ValueError, "SpriteAnimation frames %d to %d + %d pass the 32-bit frame range",
                         int(startFrame), int(startFrame), int(frameCount));
            throwPy();
        }
        setRef(s->name, a[0]);
        s->frameCount = frameCount;
        s->oscillate = oscillate;
        s->speed = speed;
        s->startFrame = startFrame;
        s->directions = directions;
        return 0;
    });
}

ClassRegistration reg("SpriteAnimation", [] {
    ClassSpec spec = specFor<SpriteAnimationObject>("SpriteAnimation");
    spec.doc = "A named run of consecutive sheet frames: speed, looping or oscillating, view directions.";
    spec.init = SpriteAnimation_init;
    return SpriteAnimationType = createType(spec);
});

}  // namespace

}  // namespace bv
