// SpriteComponent: a sprite on an entity, with its playback state and rendering options.
#include "common/overridable.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "ecs/components.hpp"
#include "ecs/sprite.hpp"
#include "render/blend_mode.hpp"
#include "resources/texture.hpp"

namespace bv {

PyTypeObject* SpriteComponentType;

SpriteAnimationObject* currentAnimationOf(const SpriteComponentObject* c) {
    PyObject* a = c->currentAnimation;
    if (!a || !PyObject_TypeCheck(a, SpriteAnimationType)) return nullptr;
    return reinterpret_cast<SpriteAnimationObject*>(a);
}

void advanceSpriteAnimation(SpriteComponentObject* c, double timeStep) {
    SpriteAnimationObject* anim = currentAnimationOf(c);
    if (!anim) return;
    sprite::Playback p{c->animationPercentage, c->animationSpeed};
    sprite::advance(p, anim->oscillate, anim->frameCount, timeStep);
    c->animationPercentage = p.percentage;
    c->animationSpeed = p.speed;
}

bool spriteSheetCell(const SpriteComponentObject* c, sprite::Cell& out) {
    SpriteAnimationObject* anim = currentAnimationOf(c);
    if (!anim || !c->sprite || !PyObject_TypeCheck(c->sprite, SpriteType)) return false;
    auto* s = reinterpret_cast<SpriteObject*>(c->sprite);
    if (!s->texture || !PyObject_TypeCheck(s->texture, TextureType)) return false;
    SDL_Surface* surface = reinterpret_cast<TextureObject*>(s->texture)->surface;
    if (!surface) return false;
    sprite::Sheet sheet{s->xFrames, s->yFrames, s->width, s->height, surface->w, surface->h};
    sprite::AnimationState state{c->currentMinFrame, anim->frameCount, anim->directions, c->currentDirections,
                                 c->animationPercentage, c->angleToCam};
    return sprite::chooseCell(sheet, state, out);
}

namespace {

SpriteComponentObject* asComponent(PyObject* o) { return reinterpret_cast<SpriteComponentObject*>(o); }

// The animations dict of the component's sprite (borrowed), or null without a sprite or dict.
PyObject* animationsOf(SpriteComponentObject* c) {
    if (!c->sprite || !PyObject_TypeCheck(c->sprite, SpriteType)) return nullptr;
    PyObject* animations = reinterpret_cast<SpriteObject*>(c->sprite)->animations;
    return animations && PyDict_Check(animations) ? animations : nullptr;
}

void setSprite(SpriteComponentObject* c, PyObject* value) {
    if (value != Py_None && !PyObject_TypeCheck(value, SpriteType)) throwCannotConvert(value, SpriteType);
    setRef(c->sprite, value);
}

// Selects an animation (None: no animation); keeps the playback when it is already current.
void setCurrentAnimation(SpriteComponentObject* c, PyObject* a) {
    if (a == Py_None) {
        setRef(c->currentAnimation, Py_None);
        c->currentMinFrame = c->currentMaxFrame = c->currentDirections = 0;
        c->animationSpeed = 0;
        return;
    }
    if (c->currentAnimation && check(PyObject_RichCompareBool(a, c->currentAnimation, Py_EQ))) return;
    if (!PyObject_TypeCheck(a, SpriteAnimationType)) throwCannotConvert(a, SpriteAnimationType);
    auto* anim = reinterpret_cast<SpriteAnimationObject*>(a);
    setRef(c->currentAnimation, a);
    c->currentMinFrame = anim->startFrame;
    c->currentMaxFrame = anim->startFrame + anim->frameCount;
    c->animationSpeed = anim->speed;
    c->currentDirections = anim->directions;
}

// The sprite's first animation; StopIteration when it has none.
void selectFirstAnimation(SpriteComponentObject* c) {
    PyObject* animations = animationsOf(c);
    Py_ssize_t pos = 0;
    PyObject *key, *value;
    if (!animations || !PyDict_Next(animations, &pos, &key, &value)) {
        PyErr_SetNone(PyExc_StopIteration);
        throwPy();
    }
    Ref keep = Ref::borrow(value);
    setCurrentAnimation(c, value);
}

void setAnimationKey(SpriteComponentObject* c, PyObject* key) {
    if (key == Py_None) return setCurrentAnimation(c, Py_None);
    PyObject* animations = animationsOf(c);
    PyObject* a = animations ? PyDict_GetItemWithError(animations, key) : nullptr;
    if (!a) {
        if (!PyErr_Occurred()) PyErr_SetObject(PyExc_KeyError, key);
        throwPy();
    }
    Ref keep = Ref::borrow(a);
    setCurrentAnimation(c, a);
}

PyObject* animationKey(SpriteComponentObject* c) {
    if (!c->currentAnimation || c->currentAnimation == Py_None) return none();
    PyObject* animations = animationsOf(c);
    if (animations) {
        Ref items = Ref::checked(PyDict_Items(animations));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
            PyObject* item = PyList_GET_ITEM(items.get(), i);
            if (check(PyObject_RichCompareBool(PyTuple_GET_ITEM(item, 1), c->currentAnimation, Py_EQ)))
                return Py_NewRef(PyTuple_GET_ITEM(item, 0));
        }
    }
    PyErr_SetNone(PyExc_StopIteration);
    throwPy();
}

BlendMode blendModeValue(PyObject* o, const char* name) {
    if (!PyLong_Check(o)) throwArgType(name, "int", o);
    return toBlendMode(o);
}

bool isAdd(PyObject* o) {
    return PyUnicode_Check(o) && PyUnicode_CompareWithASCIIString(o, "add") == 0;
}

int SpriteComponent_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("SpriteComponent", 0, "sprite", "shadeless", "zOffset", "scale", "blendMode");
        PyObject* sprite = a[0] ? a[0] : Py_None;
        checkArg(sprite, SpriteType, "sprite");
        SpriteComponentObject* c = asComponent(self);
        double zOffset = a[2] ? toDouble(a[2]) : 0.0;
        double scale = a[3] ? toDouble(a[3]) : 1.0;
        BlendMode blendMode = a[4] ? blendModeValue(a[4], "blendMode") : BLEND_BLEND;
        bool shadeless = a[1] ? truth(a[1]) : false;
        setRef(c->sprite, sprite);
        c->zOffset = zOffset;
        c->blendMode = blendMode;
        c->scale = scale;
        c->shadeless = shadeless;
        c->angleToCam = 0;
        c->dist = 0;
        c->animationPercentage = 0;
        if (sprite != Py_None) selectFirstAnimation(c);
        return 0;
    });
}

// Entry `key` of a record (borrowed) or null.
PyObject* entry(PyObject* input, const char* key) {
    PyObject* v = PyDict_GetItemWithError(input, intern(key));
    if (!v && PyErr_Occurred()) throwPy();
    return v;
}

PyObject* SpriteComponent_loadFromDict(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("loadFromDict", 2, "level", "input");
        PyObject* input = a[1];
        checkArg(input, &PyDict_Type, "input", false);
        SpriteComponentObject* c = asComponent(self);
        PyObject* index = entry(input, "sprite");
        if (!index) {
            PyErr_SetObject(PyExc_KeyError, intern("sprite"));
            throwPy();
        }
        Ref sprites = Ref::checked(PyObject_GetAttr(a[0], intern("sprites")));
        Py_ssize_t i = PyNumber_AsSsize_t(index, PyExc_IndexError);
        if (i == -1 && PyErr_Occurred()) throwPy();
        Py_ssize_t n = PyObject_Length(sprites);
        if (n < 0) throwPy();
        if (i < 0 || i >= n) {
            PyErr_Format(PyExc_IndexError, "sprite index %zd is out of range (the level has %zd sprites)", i, n);
            throwPy();
        }
        Ref sprite = Ref::checked(PySequence_GetItem(sprites, i));
        setSprite(c, sprite);
        PyObject* v;
        c->shadeless = (v = entry(input, "shadeless")) ? truth(v) : false;
        c->zOffset = (v = entry(input, "zOffset")) ? recordNumber(v, "zOffset") : 0.0;
        c->scale = (v = entry(input, "scale")) ? recordNumber(v, "scale") : 1.0;
        c->blendMode = (v = entry(input, "blendMode")) && isAdd(v) ? BLEND_ADD : BLEND_BLEND;
        if ((v = entry(input, "currentAnimation")))
            setAnimationKey(c, v);
        else
            selectFirstAnimation(c);
        v = entry(input, "animationPercentage");
        c->animationPercentage = v ? recordNumber(v, "animationPercentage") : 0.0;
        return none();
    });
}

PyObject* SpriteComponent_dumpToDict(PyObject* self, PyObject* level) {
    return guard([&] {
        SpriteComponentObject* c = asComponent(self);
        Ref sprites = Ref::checked(PyObject_GetAttr(level, intern("sprites")));
        Ref index = callMethod(intern("index"), sprites.get(), orNone(c->sprite));
        Ref key = Ref::steal(animationKey(c));
        return check(Py_BuildValue("{s:O,s:O,s:d,s:d,s:s,s:O,s:d}", "sprite", index.get(), "shadeless",
                                   c->shadeless ? Py_True : Py_False, "zOffset", c->zOffset, "scale", c->scale,
                                   "blendMode", c->blendMode == BLEND_ADD ? "add" : "blend",
                                   "currentAnimation", key.get(), "animationPercentage", c->animationPercentage));
    });
}

PyObject* SC_sprite(PyObject* self, void*) { return newRefOrNone(asComponent(self)->sprite); }
int SC_setSprite(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        setSprite(asComponent(self), value);
        return 0;
    });
}
PyObject* SC_blendMode(PyObject* self, void*) {
    return PyUnicode_FromString(asComponent(self)->blendMode == BLEND_ADD ? "add" : "alpha");
}
int SC_setBlendMode(PyObject* self, PyObject* value, void*) {
    asComponent(self)->blendMode = isAdd(value) ? BLEND_ADD : BLEND_BLEND;
    return 0;
}
PyObject* SC_rawBlendMode(PyObject* self, void*) { return PyLong_FromLong(asComponent(self)->blendMode); }
int SC_setRawBlendMode(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        asComponent(self)->blendMode = blendModeValue(value, "_blendMode");
        return 0;
    });
}
PyObject* SC_currentAnimation(PyObject* self, void*) { return newRefOrNone(asComponent(self)->currentAnimation); }
int SC_setCurrentAnimation(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        setCurrentAnimation(asComponent(self), value);
        return 0;
    });
}
PyObject* SC_animationKey(PyObject* self, void*) { return guard([&] { return animationKey(asComponent(self)); }); }
int SC_setAnimationKey(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        setAnimationKey(asComponent(self), value);
        return 0;
    });
}

PyMethodDef methods[] = {
    BV_METHOD("loadFromDict", SpriteComponent_loadFromDict, "Fills the component from its level-file record."),
    BV_METHOD_ARG("dumpToDict", SpriteComponent_dumpToDict, "level", "The component's level-file record."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed<SC_setSprite>("sprite", SC_sprite),
    rw<&SpriteComponentObject::shadeless>("shadeless"),
    computed<SC_setBlendMode>("blendMode", SC_blendMode,
                              "\"add\" or \"alpha\"; assigning \"add\" selects additive blending, anything else alpha blending."),
    rw<&SpriteComponentObject::zOffset>("zOffset"),
    rw<&SpriteComponentObject::scale>("scale"),
    rw<&SpriteComponentObject::animationPercentage>("animationPercentage"),
    computed<SC_setCurrentAnimation>("currentAnimation", SC_currentAnimation),
    computed<SC_setAnimationKey>("currentAnimationKey", SC_animationKey),
    rwTyped<&SpriteComponentObject::sprite, &SpriteType>("_sprite"),
    rw<&SpriteComponentObject::shadeless>("_shadeless"),
    computed<SC_setRawBlendMode>("_blendMode", SC_rawBlendMode),
    rw<&SpriteComponentObject::zOffset>("_zOffset"),
    rw<&SpriteComponentObject::scale>("_scale"),
    rw<&SpriteComponentObject::dist>("_dist"),
    rwTyped<&SpriteComponentObject::currentAnimation, &SpriteAnimationType>("_currentAnimation"),
    rw<&SpriteComponentObject::animationPercentage>("_animationPercentage"),
    rw<&SpriteComponentObject::currentMinFrame>("_currentMinFrame"),
    rw<&SpriteComponentObject::currentMaxFrame>("_currentMaxFrame"),
    rw<&SpriteComponentObject::currentDirections>("_currentDirections"),
    rw<&SpriteComponentObject::animationSpeed>("_animationSpeed"),
    rw<&SpriteComponentObject::angleToCam>("_angleToCam"),
    propsEnd(),
};

ClassRegistration reg("SpriteComponent", [] {
    ClassSpec spec = specFor<SpriteComponentObject>("SpriteComponent");
    spec.doc = "Shows a sprite on an entity: current animation, playback position and rendering options.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = SpriteComponent_init;
    return SpriteComponentType = createType(spec);
});

}  // namespace

}  // namespace bv
