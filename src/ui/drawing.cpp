// A widget's renderer, theme entries and target surface, as drawing widgets look them up.
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

// The texture's surface; an AttributeError naming `what` for anything else.
TextureObject* textureOf(PyObject* texture, const char* what) {
    if (!texture || !PyObject_TypeCheck(texture, TextureType)) {
        PyErr_Format(PyExc_AttributeError, "%s is not a brovaline.Texture", what);
        throwPy();
    }
    return reinterpret_cast<TextureObject*>(texture);
}

// What a blit needs of a texture: its pixels and its surface's clip rectangle.
struct Pixels {
    PixelView view;
    Rect64 clip;
};
Pixels pixelsAndClip(PyObject* texture, const char* what) {
    TextureObject* t = textureOf(texture, what);
    PixelView view = pixelsOf(t);
    const SDL_Rect& c = surfaceOf(t)->clip_rect;
    return {view, {c.x, c.y, c.w, c.h}};
}

PyObject* targetTexture(PyObject* widget) { return attachedRenderer(widget)->target; }

Pixels tileset(PyObject* widget) { return pixelsAndClip(themeOf(widget)->tileset, "the theme's tileset"); }

Pixels target(PyObject* widget) { return pixelsAndClip(targetTexture(widget), "the UIRenderer's target"); }

void checkMiddle(int32_t middle) {
    if (middle == 0) {
        PyErr_SetString(PyExc_ZeroDivisionError, "the middle piece of a three-patch has length 0");
        throwPy();
    }
}

}  // namespace

SDL_Surface* targetSurface(PyObject* widget) {
    return surfaceOf(textureOf(targetTexture(widget), "the UIRenderer's target"));
}

TargetClip::TargetClip(PyObject* widget, ClipRect clip) {
    SDL_Surface* s = targetSurface(widget);
    target_ = Ref::borrow(targetTexture(widget));
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
    Pixels src = tileset(widget), dst = target(widget);
    drawNinePatch(src.view, p, dst.view, box, dst.clip);
}

void drawThreePatchHSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y, int64_t width) {
    ThreePatch p{specInt(spec, "x"),     specInt(spec, "y"),     specInt(spec, "left"),
                 specInt(spec, "middle"), specInt(spec, "right"), specInt(spec, "height")};
    checkMiddle(p.middle);
    Pixels src = tileset(widget), dst = target(widget);
    drawThreePatchH(src.view, p, dst.view, x, y, width, dst.clip);
}

void drawThreePatchVSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y, int64_t height) {
    ThreePatch p{specInt(spec, "x"),     specInt(spec, "y"),      specInt(spec, "top"),
                 specInt(spec, "middle"), specInt(spec, "bottom"), specInt(spec, "width")};
    checkMiddle(p.middle);
    Pixels src = tileset(widget), dst = target(widget);
    drawThreePatchV(src.view, p, dst.view, x, y, height, dst.clip);
}

void drawPieceSpec(PyObject* widget, PyObject* spec, int64_t x, int64_t y) {
    Rect64 from{specInt(spec, "x"), specInt(spec, "y"), specInt(spec, "width"), specInt(spec, "height")};
    Pixels src = tileset(widget), dst = target(widget);
    blitCopy(src.view, from, dst.view, x, y, dst.clip);
}

void drawTexture(PyObject* widget, PyObject* texture, int64_t x, int64_t y) {
    Pixels src = pixelsAndClip(texture, "the texture"), dst = target(widget);
    blitCopy(src.view, {0, 0, src.view.width, src.view.height}, dst.view, x, y, dst.clip);
}

void drawTextureScaled(PyObject* widget, PyObject* texture, Rect64 box, uint32_t alpha) {
    Pixels src = pixelsAndClip(texture, "the texture"), dst = target(widget);
    blitScaled(src.view, {0, 0, src.view.width, src.view.height}, dst.view, box, dst.clip, alpha);
}

}  // namespace bv::ui
