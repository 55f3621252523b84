#include "ui/drawing.hpp"

#include "core/sdl_error.hpp"
#include "resources/texture.hpp"
#include "ui/patches.core.hpp"

namespace bv::ui {

UIRendererObject* attachedRenderer(PyObject* widget) {
    PyObject* r = asWidget(widget)->renderer;
    if (!r || r == Py_None) throwEngineException("Can not render a widget that is not attached to a UIRenderer object!");
    return reinterpret_cast<UIRendererObject*>(r);
}

UIThemeObject* themeOf(PyObject* widget) {
    PyObject* theme = attachedRenderer(widget)->theme;
    if (!theme || !PyObject_TypeCheck(theme, UIThemeType)) {
        PyErr_SetString(PyExc_AttributeError, "the UIRenderer has no UITheme");
        throwPy();
    }
    return reinterpret_cast<UIThemeObject*>(theme);
}

Ref widgetSpec(PyObject* widget, std::initializer_list<const char*> path) {
    PyObject* specs = themeOf(widget)->widgetSpecs;
    Ref node = Ref::borrow(specs ? specs : Py_None);
    for (const char* key : path) {
        Ref k = Ref::checked(PyUnicode_FromString(key));
        node = Ref::checked(PyObject_GetItem(node, k));
    }
    return node;
}

int32_t specInt(PyObject* spec, const char* key) {
    Ref k = Ref::checked(PyUnicode_FromString(key));
    Ref v = Ref::checked(PyObject_GetItem(spec, k));
    return toInt32(v);
}

namespace {

SDL_Surface* surfaceOf(PyObject* texture, const char* what) {
    if (!texture || !PyObject_TypeCheck(texture, TextureType) || !reinterpret_cast<TextureObject*>(texture)->surface) {
        PyErr_Format(PyExc_AttributeError, "%s is not a brovaline.Texture", what);
        throwPy();
    }
    SDL_Surface* s = reinterpret_cast<TextureObject*>(texture)->surface;
    if (s->format->BytesPerPixel != 4) {
        PyErr_Format(PyExc_ValueError, "%s does not hold 32-bit pixels", what);
        throwPy();
    }
    return s;
}

PyObject* targetTexture(PyObject* widget) { return attachedRenderer(widget)->target; }

SDL_Surface* tilesetSurface(PyObject* widget) { return surfaceOf(themeOf(widget)->tileset, "the theme's tileset"); }

Rect64 currentClip(SDL_Surface* s) { return {s->clip_rect.x, s->clip_rect.y, s->clip_rect.w, s->clip_rect.h}; }

void checkMiddle(int32_t middle) {
    if (middle == 0) {
        PyErr_SetString(PyExc_ZeroDivisionError, "the middle piece of a three-patch has length 0");
        throwPy();
    }
}

}  // namespace

SDL_Surface* targetSurface(PyObject* widget) { return surfaceOf(targetTexture(widget), "the UIRenderer's target"); }

PixelView pixelView(SDL_Surface* s) {
    return {static_cast<uint32_t*>(s->pixels), s->w, s->h, s->pitch / 4};
}

TargetClip::TargetClip(PyObject* widget, ClipRect clip) {
    PyObject* target = targetTexture(widget);
    SDL_Surface* s = surfaceOf(target, "the UIRenderer's target");
    target_ = Ref::borrow(target);
    SDL_Rect r{clip.x, clip.y, clip.w, clip.h};
    SDL_SetClipRect(s, &r);
}

TargetClip::~TargetClip() {
    if (SDL_Surface* s = reinterpret_cast<TextureObject*>(target_.get())->surface) SDL_SetClipRect(s, nullptr);
}

void drawNinePatchSpec(PyObject* widget, PyObject* spec, Rect64 box) {
    NinePatch p{specInt(spec, "x"),          specInt(spec, "y"),           specInt(spec, "leftWidth"),
                specInt(spec, "middleWidth"), specInt(spec, "rightWidth"),  specInt(spec, "topHeight"),
                specInt(spec, "middleHeight"), specInt(spec, "bottomHeight")};
    SDL_Surface* src = tilesetSurface(widget);
    SDL_Surface* dst = targetSurface(widget);
    drawNinePatch(pixelView(src), p, pixelView(dst), box, currentClip(dst));
}

void drawThreePatchHSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y, int64_t width) {
    ThreePatch p{specInt(spec, "x"),     specInt(spec, "y"),     specInt(spec, "left"),
                 specInt(spec, "middle"), specInt(spec, "right"), specInt(spec, "height")};
    checkMiddle(p.middle);
    SDL_Surface* src = tilesetSurface(widget);
    SDL_Surface* dst = targetSurface(widget);
    drawThreePatchH(pixelView(src), p, pixelView(dst), x, y, width, currentClip(dst));
}

void drawThreePatchVSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y, int64_t height) {
    ThreePatch p{specInt(spec, "x"),     specInt(spec, "y"),      specInt(spec, "top"),
                 specInt(spec, "middle"), specInt(spec, "bottom"), specInt(spec, "width")};
    checkMiddle(p.middle);
    SDL_Surface* src = tilesetSurface(widget);
    SDL_Surface* dst = targetSurface(widget);
    drawThreePatchV(pixelView(src), p, pixelView(dst), x, y, height, currentClip(dst));
}

void drawPieceSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y) {
    Rect64 from{specInt(spec, "x"), specInt(spec, "y"), specInt(spec, "width"), specInt(spec, "height")};
    SDL_Surface* src = tilesetSurface(widget);
    SDL_Surface* dst = targetSurface(widget);
    blitCopy(pixelView(src), from, pixelView(dst), x, y, currentClip(dst));
}

void drawTexture(PyObject* widget, PyObject* texture, int64_t x, int64_t y) {
    SDL_Surface* src = surfaceOf(texture, "the texture");
    SDL_Surface* dst = targetSurface(widget);
    blitCopy(pixelView(src), {0, 0, src->w, src->h}, pixelView(dst), x, y, currentClip(dst));
}

void drawTextureScaled(PyObject* widget, PyObject* texture, Rect64 box, uint32_t alpha) {
    SDL_Surface* src = surfaceOf(texture, "the texture");
    SDL_Surface* dst = targetSurface(widget);
    blitScaled(pixelView(src), {0, 0, src->w, src->h}, pixelView(dst), box, currentClip(dst), alpha);
}

}  // namespace bv::ui
