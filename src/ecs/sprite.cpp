// Sprite: a sheet texture cut into a regular grid of frames, with named animations.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ecs/sprite.hpp"
#include "resources/texture.hpp"

namespace bv {

PyTypeObject* SpriteType;

namespace {

SpriteObject* asSprite(PyObject* o) { return reinterpret_cast<SpriteObject*>(o); }

int32_t frameCount(PyObject* o, const char* name) {
    int32_t v = toInt32(o);
    if (v < 1) {
        PyErr_Format(PyExc_ValueError, "Sprite %s must be positive (got %d)", name, int(v));
        throwPy();
    }
    return v;
}

int Sprite_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Sprite", 4, "texture", "xFrames", "yFrames", "spriteAnimations");
        checkArg(a[0], TextureType, "texture", false);
        checkArg(a[3], &PyList_Type, "spriteAnimations", false);
        int32_t xFrames = frameCount(a[1], "xFrames"), yFrames = frameCount(a[2], "yFrames");
        Ref animations = Ref::checked(PyDict_New());
        Ref list = Ref::borrow(a[3]);
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(list.get()); ++i) {
            PyObject* anim = PyList_GET_ITEM(list.get(), i);
            if (!PyObject_TypeCheck(anim, SpriteAnimationType)) throwCannotConvert(anim, SpriteAnimationType);
            PyObject* name = reinterpret_cast<SpriteAnimationObject*>(anim)->name;
            check(PyDict_SetItem(animations, orNone(name), anim));
        }
        SDL_Surface* surface = reinterpret_cast<TextureObject*>(a[0])->surface;
        SpriteObject* s = asSprite(self);
        setRef(s->texture, a[0]);
        s->xFrames = xFrames;
        s->yFrames = yFrames;
        s->width = surface ? surface->w / xFrames : 0;
        s->height = surface ? surface->h / yFrames : 0;
        setRef(s->animations, animations);
        return 0;
    });
}

PyObject* Sprite_animations(PyObject* self, void*) {
    SpriteObject* s = asSprite(self);
    if (!s->animations) return guard([&] {
        Ref d = Ref::checked(PyDict_New());
        setRef(s->animations, d);
        return Py_NewRef(d.get());
    });
    return Py_NewRef(s->animations);
}

PyTypeObject* dictType = &PyDict_Type;

PyGetSetDef props[] = {
    ro<&SpriteObject::texture>("texture"),
    ro<&SpriteObject::width>("width", "The width of one frame."),
    ro<&SpriteObject::height>("height", "The height of one frame."),
    computed("animations", Sprite_animations),
    rwTyped<&SpriteObject::texture, &TextureType>("_texture"),
    rw<&SpriteObject::width>("_width"),
    rw<&SpriteObject::height>("_height"),
    rw<&SpriteObject::xFrames>("_xFrames"),
    rw<&SpriteObject::yFrames>("_yFrames"),
    rwTyped<&SpriteObject::animations, &dictType>("_animations"),
    propsEnd(),
};

ClassRegistration reg("Sprite", [] {
    ClassSpec spec = specFor<SpriteObject>("Sprite");
    spec.doc = "A sprite sheet: a texture cut into xFrames x yFrames equal frames, with named animations.";
    spec.getset = props;
    spec.init = Sprite_init;
    return SpriteType = createType(spec);
});

}  // namespace

void throwCannotConvert(PyObject* value, PyTypeObject* to) {
    PyErr_Format(PyExc_TypeError, "Cannot convert %.200s to %.200s", Py_TYPE(value)->tp_name, to->tp_name);
    throwPy();
}

}  // namespace bv
