// Level assets (sky, textures, sprites), asset paths and the fog settings.
#include "common/error_context.hpp"
#include "common/overridable.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "ecs/sprite.hpp"
#include "level/level.hpp"

namespace bv {

uint32_t colorFromRgb(PyObject* rgb) {
    Ref fast = Ref::checked(PySequence_Fast(rgb, "a colour must be a sequence of (r, g, b)"));
    Py_ssize_t n = PySequence_Fast_GET_SIZE(fast.get());
    if (n != 3) {
        PyErr_Format(PyExc_ValueError, "a colour needs exactly 3 values (r, g, b), got %zd", n);
        throwPy();
    }
    uint32_t color = 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
        int32_t c = toInt32(PySequence_Fast_GET_ITEM(fast.get(), i));
        if (c < 0 || c > 255) {
            PyErr_Format(PyExc_ValueError, "colour values must be in 0..255, got %d", int(c));
            throwPy();
        }
        color |= uint32_t(c) << (16 - 8 * i);
    }
    return color;
}

namespace level_detail {

namespace {

PyObject* rgbTuple(uint32_t color) {
    return Py_BuildValue("(iii)", int((color >> 16) & 0xFF), int((color >> 8) & 0xFF), int(color & 0xFF));
}

// header[key] (borrowed) or null when absent.
PyObject* headerEntry(LevelObject* l, const char* key) {
    PyObject* md = metadataOf(l);
    if (PyDict_Check(md)) {
        PyObject* v = PyDict_GetItemWithError(md, intern(key));
        if (!v && PyErr_Occurred()) throwPy();
        return v;
    }
    PyErr_SetString(PyExc_TypeError, "the level metadata must be a dict");
    throwPy();
}

int32_t intValue(PyObject* o) {
    Ref i = Ref::checked(PyNumber_Long(o));
    return toInt32(i);
}

// d.get(key, fallback) for a JSON object (borrowed result).
PyObject* entryOr(PyObject* d, const char* key, PyObject* fallback) {
    PyObject* v = PyDict_GetItemWithError(d, intern(key));
    if (!v && PyErr_Occurred()) throwPy();
    return v ? v : fallback;
}
PyObject* requiredEntry(PyObject* d, const char* key) {
    PyObject* v = PyDict_GetItemWithError(d, intern(key));
    if (!v) {
        if (!PyErr_Occurred()) PyErr_SetObject(PyExc_KeyError, intern(key));
        throwPy();
    }
    return v;
}
void requireObject(PyObject* o, const char* what) {
    if (PyDict_Check(o)) return;
    PyErr_Format(PyExc_TypeError, "%s must be a JSON object, got %.200s", what, Py_TYPE(o)->tp_name);
    throwPy();
}
void requireList(PyObject* o, const char* what) {
    if (PyList_Check(o)) return;
    PyErr_Format(PyExc_TypeError, "%s must be a JSON array, got %.200s", what, Py_TYPE(o)->tp_name);
    throwPy();
}

Ref convertPath(LevelObject* l, PyObject* path) {
    if (!l->assetsPath || l->assetsPath == Py_None) return Ref::borrow(path);
    PyObject* ospath = moduleGlobal("_ospath");
    if (truth(callMethod(intern("isabs"), ospath, path))) return Ref::borrow(path);
    return callMethod(intern("join"), ospath, l->assetsPath, path);
}

Ref loadTexture(LevelObject* l, PyObject* name) {
    Ref path = convertPath(l, name);
    return callObject(reinterpret_cast<PyObject*>(TextureType), path.get());
}

Ref newInt(long v) { return Ref::checked(PyLong_FromLong(v)); }

// `where` names the sprite entry; while an animation loads, it names that animation.
Ref loadSprite(LevelObject* l, PyObject* sprite, std::string& where) {
    requireObject(sprite, "a sprite entry");
    Ref tex = loadTexture(l, requiredEntry(sprite, "texture"));
    Ref animations = Ref::checked(PyList_New(0));
    PyObject* anims = entryOr(sprite, "animations", nullptr);
    if (anims) {
        requireObject(anims, "the animations of a sprite");
        Ref zero = newInt(0), one = newInt(1), speed = Ref::checked(PyFloat_FromDouble(0.1));
        Py_ssize_t pos = 0;
        PyObject *name, *a;
        const std::string spriteWhere = where;
        while (PyDict_Next(anims, &pos, &name, &a)) {
            where = spriteWhere + ".animations[" + reprText(name) + "]";
            requireObject(a, "an animation");
            Ref anim = callObject(reinterpret_cast<PyObject*>(SpriteAnimationType), name, requiredEntry(a, "frames"),
                                  entryOr(a, "oscillate", zero), entryOr(a, "speed", speed),
                                  entryOr(a, "startFrame", zero), entryOr(a, "directions", one));
            check(PyList_Append(animations, anim));
        }
        where = spriteWhere;
    } else {
        Ref name = Ref::checked(PyUnicode_FromString("_"));
        Ref one = newInt(1), zero = newInt(0);
        Ref anim = callObject(reinterpret_cast<PyObject*>(SpriteAnimationType), name.get(), one.get(), Py_False,
                              one.get(), zero.get(), one.get());
        check(PyList_Append(animations, anim));
    }
    Ref one = newInt(1);
    return callObject(reinterpret_cast<PyObject*>(SpriteType), tex.get(), entryOr(sprite, "xFrames", one),
                      entryOr(sprite, "yFrames", one), animations.get());
}

PyObject* Level_convertPath(PyObject* self, PyObject* path) {
    return guard([&] { return convertPath(asLevel(self), path).release(); });
}

PyObject* Level_loadAssets(PyObject* self, PyObject*) {
    return guard([&] {
        loadAssets(self);
        return none();
    });
}

PyObject* Level_fogColor(PyObject* self, void*) { return rgbTuple(asLevel(self)->fogColor); }
int Level_setFogColor(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        asLevel(self)->fogColor = colorFromRgb(value);
        return 0;
    });
}
PyObject* Level_groundFogColor(PyObject* self, void*) { return rgbTuple(asLevel(self)->groundFogColor); }
int Level_setGroundFogColor(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        asLevel(self)->groundFogColor = colorFromRgb(value);
        return 0;
    });
}
PyObject* Level_textures(PyObject* self, void*) { return guard([&] { return Py_NewRef(listOf(asLevel(self)->textures)); }); }
PyObject* Level_sprites(PyObject* self, void*) { return guard([&] { return Py_NewRef(listOf(asLevel(self)->sprites)); }); }

PyObject* Level_textureSurfaces(PyObject* self, void*) {
    PyObject* t = asLevel(self)->textureSurfaces;
    return t ? Py_NewRef(t) : PyTuple_New(0);
}

PyObject* Level_assetsPath(PyObject* self, void*) { return newRefOrNone(asLevel(self)->assetsPath); }
int Level_setAssetsPath(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        if (value != Py_None && !PyUnicode_Check(value)) throwArgType("_assetsPath", "str", value);
        setRef(asLevel(self)->assetsPath, value);
        return 0;
    });
}

PyTypeObject* listType = &PyList_Type;

}  // namespace

std::string headerName(LevelObject* l) {
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Ref file = Ref::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(l), "filename"));
    Ref text = Ref::steal(file ? PyObject_Str(file.get()) : nullptr);
    const char* utf8 = text ? PyUnicode_AsUTF8(text.get()) : nullptr;
    std::string name = std::string("'") + (utf8 ? utf8 : "?") + ".json'";
    PyErr_Clear();
    PyErr_Restore(type, value, tb);
    return name;
}

// Reads one fog setting: `parse(value)` of the header entry, `fallback` when the entry is absent.
// A bad entry is reported, naming the file, key and value, and gets the fallback, so the other
// settings still load.
template <class T, class Parse>
void loadFogSetting(LevelObject* l, const char* key, T& field, T fallback, Parse&& parse) {
    PyObject* v = nullptr;
    try {
        v = headerEntry(l, key);
        field = v ? parse(v) : fallback;
    } catch (const PyError&) {
        field = fallback;
        reportWithContext(headerName(l) + ": " + key + " = " + reprText(v), "Level._loadFogSettings");
    }
}

void loadFogSettings(PyObject* self) {
    LevelObject* l = asLevel(self);
    loadFogSetting(l, "fogColor", l->fogColor, 0xFF000000u, colorFromRgb);
    loadFogSetting(l, "groundFogColor", l->groundFogColor, 0xFFFFFFFFu, colorFromRgb);
    loadFogSetting(l, "fogDensity", l->fogDensity, 5, intValue);
    loadFogSetting(l, "groundFogDensity", l->groundFogDensity, 0, intValue);
}

void loadAssets(PyObject* self) {
    LevelObject* l = asLevel(self);
    if (PyObject* sky = headerEntry(l, "skytex")) {
        Ref tex;
        try {
            tex = loadTexture(l, sky);
        } catch (const PyError&) {
            rethrowWithContext(headerName(l) + ": skytex");
        }
        setRef(l->skyTex, tex);
    }
    if (PyObject* names = headerEntry(l, "textures")) {
        requireList(names, "\"textures\"");
        Ref list = Ref::borrow(names);
        Py_ssize_t n = PyList_GET_SIZE(names);
        Ref table = Ref::checked(PyTuple_New(n));
        for (Py_ssize_t i = 0; i < n && i < PyList_GET_SIZE(list.get()); ++i) {
            Ref tex;
            try {
                tex = loadTexture(l, PyList_GET_ITEM(list.get(), i));
            } catch (const PyError&) {
                rethrowWithContext(headerName(l) + ": textures[" + std::to_string(i) + "]");
            }
            check(PyList_Append(listOf(l->textures), tex));
            PyTuple_SET_ITEM(table.get(), i, tex.release());
        }
        // Entries not filled (the list shrank while loading) stay None.
        for (Py_ssize_t i = 0; i < n; ++i)
            if (!PyTuple_GET_ITEM(table.get(), i)) PyTuple_SET_ITEM(table.get(), i, Py_NewRef(Py_None));
        setRef(l->textureSurfaces, table);
    }
    if (PyObject* sprites = headerEntry(l, "sprites")) {
        requireList(sprites, "\"sprites\"");
        Ref list = Ref::borrow(sprites);
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(list.get()); ++i) {
            Ref item = Ref::borrow(PyList_GET_ITEM(list.get(), i));
            std::string where = headerName(l) + ": sprites[" + std::to_string(i) + "]";
            Ref sprite;
            try {
                sprite = loadSprite(l, item, where);
            } catch (const PyError&) {
                rethrowWithContext(where);
            }
            check(PyList_Append(listOf(l->sprites), sprite));
        }
    }
}

PyMethodDef assetMethods[] = {
    BV_METHOD_NOARGS("_loadAssets", Level_loadAssets, "Loads the sky, the textures and the sprites of the header."),
    BV_METHOD_ARG("_convertPath", Level_convertPath, "path", "Resolves an asset file name against the assets path."),
    BV_METHODS_END,
};

PyGetSetDef assetProps[] = {
    rw<&LevelObject::fogDensity>("fogDensity"),
    rw<&LevelObject::groundFogDensity>("groundFogDensity"),
    computed<Level_setFogColor>("fogColor", Level_fogColor),
    computed<Level_setGroundFogColor>("groundFogColor", Level_groundFogColor),
    rw<&LevelObject::fogDensity>("_fogDensity"),
    rw<&LevelObject::groundFogDensity>("_groundFogDensity"),
    rw<&LevelObject::fogColor>("_fogColor"),
    rw<&LevelObject::groundFogColor>("_groundFogColor"),
    computed("textures", Level_textures),
    computed("sprites", Level_sprites),
    computed("_textureSurfaces", Level_textureSurfaces),
    rwTyped<&LevelObject::skyTex, &TextureType>("_skyTex"),
    rwTyped<&LevelObject::textures, &listType>("_textures"),
    rwTyped<&LevelObject::sprites, &listType>("_sprites"),
    rwTyped<&LevelObject::entities, &listType>("_entities"),
    rwTyped<&LevelObject::collisionBodies, &listType>("_collisionBodies"),
    computed<Level_setAssetsPath>("_assetsPath", Level_assetsPath),
    propsEnd(),
};

}  // namespace level_detail
}  // namespace bv
