// Font: opening a TrueType font and rendering text lines into Textures.
#include "resources/font.hpp"

#include "common/args.hpp"
#include "common/cstring.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "core/sdl_error.hpp"

#include <algorithm>
#include <memory>
#include <vector>

namespace bv {

PyTypeObject* FontType;

namespace {

FontObject* asFont(PyObject* o) { return reinterpret_cast<FontObject*>(o); }

// Renders one non-empty line, in the texture pixel format.
SurfacePtr renderSurface(TTF_Font* font, const char* utf8, SDL_Color color) {
    SurfacePtr s(TTF_RenderUTF8_Blended(font, utf8, color));
    if (s && s->format->format != SDL_PIXELFORMAT_ARGB8888)
        s.reset(SDL_ConvertSurfaceFormat(s.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!s) {
        PyErr_Format(PyExc_RuntimeError, "Unable to render text: %s", SDL_GetError());
        throwPy();
    }
    return s;
}

Ref newTexture(long width, long height) {
    return Ref::checked(PyObject_CallFunction(reinterpret_cast<PyObject*>(TextureType), "ll", width, height));
}

// Copies the pixels of `src` (ARGB8888) unchanged into the texture with its top-left corner at
// (0, y). The library pads its rows, so texts are copied into packed textures, not adopted.
void copyLine(const SDL_Surface* src, PyObject* texture, int y) {
    PixelView dst = pixelsOf(reinterpret_cast<TextureObject*>(texture));
    if (y >= dst.height) return;
    PixelView at{dst.row(y), dst.width, dst.height - y, dst.pitch};
    copyPixels(at, surfacePixels(src));
}

int Font_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Font", 2, "filename", "size");
        const char* path = toCString(a[0], "filename");
        FontObject* f = asFont(self);
        setRef(f->filename, a[0]);
        int32_t size = toInt32(a[1]);
        if (size <= 0) {
            PyErr_Format(PyExc_ValueError, "Font size must be positive (got %d)", size);
            throwPy();
        }
        f->destroy();
        f->size = size;
        f->font = TTF_OpenFont(path, size);
        if (!f->font) {
            PyErr_Format(PyExc_IOError, "Unable to load font file '%s': %s", path, SDL_GetError());
            throwPy();
        }
        return 0;
    });
}

PyObject* Font_getFontSize(PyObject* self, PyObject*) { return PyLong_FromLong(asFont(self)->size); }

PyObject* Font_getRenderedTextSize(PyObject* self, PyObject* text) {
    return guard([&] {
        TTF_Font* font = fontHandle(asFont(self));
        const char* utf8 = toCString(text, "text");
        int w = 0, h = 0;
        TTF_SizeUTF8(font, utf8, &w, &h);
        return Py_BuildValue("(ii)", w, h);
    });
}

PyObject* Font_render(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("render", 2, "text", "color");
        const char* utf8 = toCString(a[0], "text");
        return renderTextLine(asFont(self), utf8, toColor(a[1])).release();
    });
}

PyObject* Font_renderLines(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("renderLines", 2, "lines", "color");
        return renderTextLines(asFont(self), a[0], toColor(a[1])).release();
    });
}

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("getFontSize", Font_getFontSize, "The point size the font was opened with."),
    BV_METHOD_ARG("getRenderedTextSize", Font_getRenderedTextSize, "text", "(width, height) of the text on one line."),
    BV_METHOD("render", Font_render, "Renders one line of text into a new Texture."),
    BV_METHOD("renderLines", Font_renderLines, "Renders lines stacked top to bottom into a new Texture."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    ro<&FontObject::size>("size"),
    propsEnd(),
};

ClassRegistration reg("Font", [] {
    ClassSpec spec = specFor<FontObject>("Font", ResourceType);
    spec.doc = "A TrueType font opened at one point size.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Font_init;
    return FontType = createType(spec);
});

}  // namespace

TTF_Font* fontHandle(FontObject* font) {
    if (!font->font) throwEngineException("The font is not loaded.");
    return font->font;
}

SDL_Color toColor(PyObject* color) {
    Ref items = Ref::checked(PySequence_Fast(color, "color must be a sequence of 3 (rgb) or 4 (rgba) integers"));
    Py_ssize_t n = PySequence_Fast_GET_SIZE(items.get());
    if (n != 3 && n != 4) {
        PyErr_Format(PyExc_ValueError, "color must have 3 (rgb) or 4 (rgba) components, not %zd", n);
        throwPy();
    }
    Uint8 c[4] = {0, 0, 0, 255};
    for (Py_ssize_t i = 0; i < n; ++i) {
        int32_t v = toInt32(PySequence_Fast_GET_ITEM(items.get(), i));
        if (v < 0 || v > 255) {
            PyErr_Format(PyExc_OverflowError, "color component %d is outside 0..255", v);
            throwPy();
        }
        c[i] = Uint8(v);
    }
    return SDL_Color{c[0], c[1], c[2], c[3]};
}

Ref renderTextLine(FontObject* font, const char* utf8, SDL_Color color) {
    TTF_Font* handle = fontHandle(font);
    if (!*utf8) return newTexture(0, TTF_FontHeight(handle));
    SurfacePtr s = renderSurface(handle, utf8, color);
    Ref texture = newTexture(s->w, s->h);
    copyLine(s.get(), texture, 0);
    return texture;
}

Ref renderTextLines(FontObject* font, PyObject* lines, SDL_Color color) {
    TTF_Font* handle = fontHandle(font);
    Ref items = Ref::checked(PySequence_Fast(lines, "lines must be a sequence of str"));
    Py_ssize_t n = PySequence_Fast_GET_SIZE(items.get());
    std::vector<SurfacePtr> surfaces(static_cast<size_t>(n));
    long width = 0, height = 0;
    for (Py_ssize_t i = 0; i < n; ++i) {
        const char* utf8 = toCString(PySequence_Fast_GET_ITEM(items.get(), i), "lines");
        if (!*utf8) {
            height += font->size;
            continue;
        }
        surfaces[size_t(i)] = renderSurface(handle, utf8, color);
        width = std::max(width, long(surfaces[size_t(i)]->w));
        height += surfaces[size_t(i)]->h;
    }
    Ref texture = newTexture(width, height);
    int y = 0;
    for (const SurfacePtr& s : surfaces) {
        if (!s) {
            y += font->size;
            continue;
        }
        copyLine(s.get(), texture, y);
        y += s->h;
    }
    return texture;
}

}  // namespace bv
