#include "resources/texture.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"

namespace bv {

PyTypeObject* TextureType;

namespace {

TextureObject* asTexture(PyObject* o) { return reinterpret_cast<TextureObject*>(o); }

int Texture_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Texture", 1, "w", "h");
        int w = toInt32(a[0]), h = a[1] ? toInt32(a[1]) : 0;
        if (w < 0 || h < 0) {
            PyErr_Format(PyExc_ValueError, "Texture size must not be negative (got %d x %d)", w, h);
            throwPy();
        }
        SDL_Surface* s = SDL_CreateRGBSurface(0, w, h, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
        if (!s) {
            PyErr_Format(PyExc_MemoryError, "Unable to create a %d x %d texture: %s", w, h, SDL_GetError());
            throwPy();
        }
        TextureObject* t = asTexture(self);
        t->destroy();
        t->surface = s;
        Ref empty = Ref::checked(PyUnicode_FromString(""));
        setRef(t->filename, empty);
        return 0;
    });
}

PyObject* Texture_width(PyObject* self, void*) {
    SDL_Surface* s = asTexture(self)->surface;
    return PyLong_FromLong(s ? s->w : 0);
}
PyObject* Texture_height(PyObject* self, void*) {
    SDL_Surface* s = asTexture(self)->surface;
    return PyLong_FromLong(s ? s->h : 0);
}

PyGetSetDef props[] = {
    computed("width", Texture_width),
    computed("height", Texture_height),
    propsEnd(),
};

ClassRegistration reg("Texture", [] {
    ClassSpec spec = specFor<TextureObject>("Texture", ResourceType);
    spec.doc = "A 32-bit ARGB pixel surface.";
    spec.getset = props;
    spec.init = Texture_init;
    return TextureType = createType(spec);
});

}  // namespace

}  // namespace bv
