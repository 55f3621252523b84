// A widget's renderer, theme entries and target surface, as drawing widgets look them up.
#include "ui/drawing.hpp"

#include "common/error_context.hpp"
#include "core/sdl_error.hpp"
#include "resources/texture.hpp"
#include "ui/patches.core.hpp"

#include <cstring>

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

namespace {

// Where the latest entries handed out by widgetSpec came from, so that a key missing inside one
// can be reported with its theme, path and widget. Looked up by identity, newest first: the entry
// passed to specInt is alive, so the newest record of its address is its own.
struct SpecOrigin {
    PyObject* entry = nullptr;  // compared, never dereferenced
    std::string theme, widget, path;
};
thread_local SpecOrigin origins[8];
thread_local size_t originCount = 0;

const SpecOrigin* originOf(PyObject* entry) {
    for (size_t i = 0; i < 8 && i < originCount; ++i) {
        const SpecOrigin& o = origins[(originCount - 1 - i) % 8];
        if (o.entry == entry) return &o;
    }
    return nullptr;
}

std::string quoted(const char* key) { return std::string("\"") + key + "\""; }

// The theme's file name as written in messages ('themes/a.json'), or None.
std::string themeFileText(PyObject* theme) {
    PyObject* text = theme && PyObject_TypeCheck(theme, UIThemeType) ? reinterpret_cast<UIThemeObject*>(theme)->fileText : nullptr;
    const char* utf8 = text && PyUnicode_Check(text) ? PyUnicode_AsUTF8(text) : nullptr;
    if (!utf8) PyErr_Clear();
    return utf8 ? utf8 : "None";
}

// "UIButton" for a UIButton or a class derived from it in Python ("MyButton").
std::string typeNameOf(PyObject* who) {
    const char* name = Py_TYPE(who)->tp_name;
    const char* dot = strrchr(name, '.');
    return dot ? dot + 1 : name;
}

[[noreturn]] void raiseThemeLacks(const std::string& who, const std::string& file, const std::string& needed,
                                  const std::string& lacking) {
    raiseReplacingPending(PyExc_KeyError, who + " needs " + needed + " from the theme " + file + ", which has no " + lacking);
}

}  // namespace

[[noreturn]] void throwThemeLacks(PyObject* theme, PyObject* who, const std::string& needed, const std::string& lacking) {
    // The names are read before the pending KeyError is taken over: reading them must not clear it.
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    std::string whoName = typeNameOf(who), file = themeFileText(theme);
    PyErr_Restore(type, value, tb);
    raiseThemeLacks(whoName, file, needed, lacking);
}

Ref widgetSpec(PyObject* widget, std::initializer_list<const char*> path) {
    UIThemeObject* theme = themeOf(widget);
    PyObject* specs = theme->widgetSpecs;
    Ref node = Ref::borrow(specs ? specs : Py_None);
    std::string full = "widgets", reached = "widgets";
    for (const char* key : path) full += std::string(".") + key;
    for (const char* key : path) {
        Ref k = Ref::checked(PyUnicode_FromString(key));
        PyObject* next = PyObject_GetItem(node, k);
        if (!next) {
            if (PyErr_ExceptionMatches(PyExc_KeyError))
                throwThemeLacks(reinterpret_cast<PyObject*>(theme), widget, full, quoted(key) + " in " + reached);
            throwPy();
        }
        node = Ref::steal(next);
        reached += std::string(".") + key;
    }
    SpecOrigin& o = origins[originCount++ % 8];
    o.entry = node.get();
    o.theme = themeFileText(reinterpret_cast<PyObject*>(theme));
    o.widget = typeNameOf(widget);
    o.path = reached;
    return node;
}

int32_t specInt(PyObject* spec, const char* key) {
    Ref k = Ref::checked(PyUnicode_FromString(key));
    PyObject* v = PyObject_GetItem(spec, k);
    if (!v) {
        const SpecOrigin* o = originOf(spec);
        if (o && PyErr_ExceptionMatches(PyExc_KeyError))
            raiseThemeLacks(o->widget, o->theme, o->path + "." + key, quoted(key) + " in " + o->path);
        throwPy();
    }
    return toInt32(Ref::steal(v));
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
