// Texture: construction (size, copy, file), drawing helpers, saving, and the surface views.
#include "resources/texture.hpp"

#include "common/cstring.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/sdl_error.hpp"
#include "resources/surface.hpp"

#include <SDL_image.h>

#include <cstring>
#include <memory>

namespace bv {

PyTypeObject* TextureType;

namespace {

constexpr uint32_t kCheckerLight = 0xFFAAAAAA, kCheckerDark = 0xFF333333;

TextureObject* asTexture(PyObject* o) { return reinterpret_cast<TextureObject*>(o); }

SurfacePtr newSurface(int w, int h) {
    if (w < 0 || h < 0) {
        PyErr_Format(PyExc_ValueError, "Texture size must not be negative (got %d x %d)", w, h);
        throwPy();
    }
    SurfacePtr s(createSurface(w, h));
    if (!s) {
        PyErr_Format(PyExc_MemoryError, "Unable to create a %d x %d texture: %s", w, h, SDL_GetError());
        throwPy();
    }
    return s;
}

int Texture_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Texture", 1, "w", "h");
        TextureObject* t = asTexture(self);
        if (t->surface) {
            // Renderers and levels hold the pixel memory of their textures: it must stay put.
            PyErr_SetString(PyExc_RuntimeError, "Texture is already initialised: its surface cannot be replaced");
            throwPy();
        }
        PyObject* w = a[0];
        PyObject* h = a[1];
        SurfacePtr s;
        if (PyLong_CheckExact(w) && h && PyLong_CheckExact(h)) {
            Ref empty = Ref::checked(PyUnicode_FromString(""));
            setRef(t->filename, empty);
            s = newSurface(toInt32(w), toInt32(h));
        } else if (Py_IS_TYPE(w, TextureType)) {
            PixelView src = pixelsOf(asTexture(w));
            Ref empty = Ref::checked(PyUnicode_FromString(""));
            setRef(t->filename, empty);
            s = newSurface(src.width, src.height);
            // An exact copy: semi-transparent pixels are copied as they are, not blended.
            copyPixels(surfacePixels(s.get()), src);
        } else {
            if (!PyUnicode_Check(w)) {
                PyErr_Format(PyExc_TypeError,
                             "Texture() takes a width and a height (int, int), a Texture or a file name (str), "
                             "not %.200s",
                             Py_TYPE(w)->tp_name);
                throwPy();
            }
            const char* path = toCString(w, "w");
            setRef(t->filename, w);
            s.reset(loadSurfaceFromFile(path));
            if (!s) {
                PyErr_Format(PyExc_OSError, "Unable to load image file '%U'", w);
                throwPy();
            }
        }
        t->surface = s.release();
        return 0;
    });
}

PyObject* Texture_copyFrom(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("copyFrom", 1, "other");
        SDL_Surface* src = surfaceOf(a[0], "other");
        SDL_Surface* dst = surfaceOf(asTexture(self));
        SDL_Rect at = {0, 0, 0, 0};
        // Blends with the source surface's blend mode and alpha modulation; clipped to this texture.
        if (SDL_UpperBlit(src, nullptr, dst, &at) < 0) throwSdlException("Unable to copy the texture.");
        return none();
    });
}

PyObject* Texture_getSize(PyObject* self, PyObject*) {
    return guard([&] {
        SDL_Surface* s = surfaceOf(asTexture(self));
        return check(Py_BuildValue("(ii)", s->w, s->h));
    });
}

uint32_t colorComponent(PyObject* o) {
    uint32_t v = toUInt32(o);
    if (v > 255) {
        PyErr_Format(PyExc_ValueError, "color components must be integers between 0 and 255 (got %u)", v);
        throwPy();
    }
    return v;
}

PyObject* Texture_fill(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("fill", 1, "color");
        PixelView view = pixelsOf(asTexture(self));
        Py_ssize_t n = PyObject_Length(a[0]);
        if (n < 0) throwPy();
        if (n != 3 && n != 4) {
            PyErr_SetString(PyExc_TypeError, "color must be a tuple of 3 (rgb) or 4 (rgba) integers between 0 and 255");
            throwPy();
        }
        Ref items = Ref::checked(PySequence_Fast(a[0], "color must be iterable"));
        Py_ssize_t got = PySequence_Fast_GET_SIZE(items.get());
        if (got != n) {
            PyErr_Format(PyExc_ValueError, "color has %zd items but a length of %zd", got, n);
            throwPy();
        }
        PyObject** c = PySequence_Fast_ITEMS(items.get());
        uint32_t r = colorComponent(c[0]), g = colorComponent(c[1]), b = colorComponent(c[2]);
        uint32_t alpha = n == 4 ? colorComponent(c[3]) : 255;
        fillAll(view, alpha << 24 | r << 16 | g << 8 | b);
        return none();
    });
}

PyObject* Texture_fillChecker(PyObject* self, PyObject*) {
    return guard([&] {
        fillChecker(pixelsOf(asTexture(self)), kCheckerLight, kCheckerDark);
        return none();
    });
}

PyObject* Texture_saveFile(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("saveFile", 1, "filename");
        SDL_Surface* s = surfaceOf(asTexture(self));
        if (IMG_SavePNG(s, toCString(a[0], "filename")) != 0) {
            PyErr_Format(PyExc_OSError, "Unable to write image file '%U': %s", a[0], SDL_GetError());
            throwPy();
        }
        return none();
    });
}

PyObject* Texture_width(PyObject* self, void*) {
    return guard([&] { return PyLong_FromLong(surfaceOf(asTexture(self))->w); });
}
PyObject* Texture_height(PyObject* self, void*) {
    return guard([&] { return PyLong_FromLong(surfaceOf(asTexture(self))->h); });
}

PyMethodDef methods[] = {
    BV_METHOD("copyFrom", Texture_copyFrom, "Blits another texture onto this one at (0, 0), blending by its alpha."),
    BV_METHOD_NOARGS("getSize", Texture_getSize, "(width, height) in pixels."),
    BV_METHOD("fill", Texture_fill, "Replaces every pixel with an (r, g, b) or (r, g, b, a) colour."),
    BV_METHOD_NOARGS("fillChecker", Texture_fillChecker, "Paints a two-by-two grey checker pattern."),
    BV_METHOD("saveFile", Texture_saveFile, "Writes the texture as a PNG file."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed("width", Texture_width),
    computed("height", Texture_height),
    propsEnd(),
};

ClassRegistration reg("Texture", [] {
    ClassSpec spec = specFor<TextureObject>("Texture", ResourceType);
    spec.doc = "A 32-bit ARGB pixel surface: Texture(width, height), Texture(texture) or Texture(filename).";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Texture_init;
    spec.extraSlots = {{Py_bf_getbuffer, reinterpret_cast<void*>(textureGetBuffer)}};
    return TextureType = createType(spec);
});

}  // namespace

SDL_Surface* surfaceOf(TextureObject* texture) {
    if (!texture->surface) {
        PyErr_SetString(PyExc_RuntimeError, "Texture has no pixel surface: Texture.__init__ was not called");
        throwPy();
    }
    return texture->surface;
}

SDL_Surface* surfaceOf(PyObject* texture, const char* argName) {
    checkArg(texture, TextureType, argName, false);
    return surfaceOf(asTexture(texture));
}

PixelView surfacePixels(const SDL_Surface* s) {
    if (!s || s->format->BytesPerPixel != 4 || SDL_MUSTLOCK(s) || (!s->pixels && s->w > 0 && s->h > 0))
        return {nullptr, 0, 0, 0};
    return {static_cast<uint32_t*>(s->pixels), s->w, s->h, s->pitch / int(sizeof(uint32_t))};
}

PixelView pixelsOf(TextureObject* texture) {
    SDL_Surface* s = surfaceOf(texture);
    PixelView view = surfacePixels(s);
    if (!view.pixels && s->w > 0 && s->h > 0) {
        PyErr_SetString(PyExc_RuntimeError, "Texture pixels are not directly accessible 32-bit words");
        throwPy();
    }
    return view;
}

Ref textureFromSurface(SDL_Surface* surface) {
    if (!surface) throwSdlException("Unable to create the texture surface.");
    SurfacePtr s(surface);
    if (s->format->format != TexturePixelFormat.format) {
        s.reset(convertSurface(surface));
        if (!s) throwSdlException("Unable to convert the surface to the texture pixel format.");
    }
    Ref args = Ref::checked(PyTuple_New(0));
    Ref texture = Ref::checked(TextureType->tp_new(TextureType, args, nullptr));
    Ref empty = Ref::checked(PyUnicode_FromString(""));
    setRef(asTexture(texture)->filename, empty);
    asTexture(texture)->surface = s.release();
    return texture;
}

}  // namespace bv
