// UIText: lines of text in the theme's font.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "resources/font.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/layout_cache.hpp"
#include "ui/widget_base.hpp"

#include <algorithm>

namespace bv {

PyTypeObject* UITextType;

namespace {

using namespace ui;

TextObject* asText(PyObject* o) { return reinterpret_cast<TextObject*>(o); }

FontObject* themeFont(PyObject* self) {
    Ref name = Ref::checked(PyUnicode_FromString("aileron"));
    UIThemeObject* theme = themeOf(self);
    PyObject* fonts = theme->fonts;
    PyObject* font = fonts && PyDict_Check(fonts) ? PyDict_GetItemWithError(fonts, name) : nullptr;
    if (!font) {
        if (PyErr_Occurred()) throwPy();
        PyErr_SetObject(PyExc_KeyError, name);
        throwThemeLacks(reinterpret_cast<PyObject*>(theme), self, "the font \"aileron\" (fonts.aileron)",
                        "font \"aileron\" in fonts");
    }
    if (!PyObject_TypeCheck(font, FontType)) {
        PyErr_SetString(PyExc_TypeError, "the theme's font \"aileron\" is not a brovaline.Font");
        throwPy();
    }
    return reinterpret_cast<FontObject*>(font);
}

// The lines as a list snapshot (empty when the text was never set).
Ref linesOf(PyObject* self) {
    PyObject* lines = asText(self)->lines;
    if (!lines || lines == Py_None) return Ref::checked(PyList_New(0));
    return Ref::checked(PySequence_List(lines));
}

// The widest line by the sum of the line heights in the theme's font, an empty line being as high
// as the font's point size (as the drawing stacks them).
std::pair<int64_t, int64_t> measuredText(PyObject* self) {
    FontObject* font = themeFont(self);
    Ref keepFont = Ref::borrow(reinterpret_cast<PyObject*>(font));
    Ref lines = linesOf(self);
    int64_t width = 0, height = 0;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(lines.get()); ++i) {
        PyObject* line = PyList_GET_ITEM(lines.get(), i);
        const char* utf8 = toUtf8(line, "line");
        if (!*utf8) {
            height += font->size;
            continue;
        }
        int w = 0, h = 0;
        TTF_SizeUTF8(fontHandle(font), utf8, &w, &h);
        width = std::max<int64_t>(width, w);
        height += h;
    }
    return {width, height};
}

// The size the drawn text takes (measuredText), measured again only when the lines or the theme
// (its fonts) changed.
std::pair<int64_t, int64_t> textSize(PyObject* self) {
    TextObject* t = asText(self);
    const uint64_t theme = themeOf(self)->serial;
    if (t->serial && theme && t->measuredSerial == t->serial && t->measuredTheme == theme)
        return {t->measuredWidth, t->measuredHeight};
    auto [width, height] = measuredText(self);
    t->measuredSerial = t->serial;
    t->measuredTheme = theme;
    t->measuredWidth = width;
    t->measuredHeight = height;
    return {width, height};
}

void setText(PyObject* self, PyObject* text) {
    checkArg(text, &PyUnicode_Type, "text");
    TextObject* t = asText(self);
    setRef(t->text, text);
    Ref lines = callMethod(intern("splitlines"), text);
    setRef(t->lines, lines);
    // Lines split by a str subclass's own splitlines may change behind the text's back: no serial.
    t->serial = PyUnicode_CheckExact(text) ? newLayoutSerial() : 0;
}

void textSetRenderer(PyObject* self, PyObject* renderer) {
    widgetSetRenderer(self, renderer);
    TextObject* t = asText(self);
    if (renderer == Py_None || (t->textColor && t->textColor != Py_None)) return;
    PyObject* theme = reinterpret_cast<UIRendererObject*>(renderer)->theme;
    Ref name = Ref::checked(PyUnicode_FromString("fontColor"));
    Ref color;
    try {
        color = callMethod(intern("getColor"), theme ? theme : Py_None, name.get());
    } catch (const PyError&) {
        if (!PyErr_ExceptionMatches(PyExc_KeyError)) throw;
        throwThemeLacks(theme, self, "the colour \"fontColor\" (colors.fontColor)", "colour \"fontColor\" in colors");
    }
    setRef(t->textColor, color);
}

void textCalculateMinSize(PyObject* self) {
    TextObject* t = asText(self);
    if (!t->renderer || t->renderer == Py_None) return;
    auto [width, height] = textSize(self);
    if (t->sizePolicyX != SIZE_FIXED) t->width = int32_t(width);
    if (t->sizePolicyY != SIZE_FIXED) t->height = int32_t(height);
}

bool sameLines(PyObject* drawn, PyObject* lines) {
    Py_ssize_t n = PyList_GET_SIZE(lines);
    if (!drawn || PyList_GET_SIZE(drawn) != n) return false;
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject *a = PyList_GET_ITEM(drawn, i), *b = PyList_GET_ITEM(lines, i);
        if (a != b && !(PyUnicode_CheckExact(b) && PyUnicode_Compare(a, b) == 0)) return false;
    }
    return true;
}

uint32_t packed(SDL_Color c) { return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16 | uint32_t(c.a) << 24; }

// The lines drawn in the font and colour: the last drawing while they are the same, else a new one.
// `lines` is a snapshot list that nobody else holds.
Ref drawnText(TextObject* t, FontObject* font, PyObject* lines, SDL_Color color) {
    PyObject* fontObject = reinterpret_cast<PyObject*>(font);
    if (t->drawnTexture && t->drawnFont == fontObject && t->drawnColor == packed(color) &&
        sameLines(t->drawnLines, lines))
        return Ref::borrow(t->drawnTexture);
    Ref texture = renderTextLines(font, lines, color);
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(lines); ++i)
        if (!PyUnicode_CheckExact(PyList_GET_ITEM(lines, i))) return texture;  // only str lines are compared
    setRef(t->drawnTexture, texture);
    setRef(t->drawnLines, lines);
    setRef(t->drawnFont, fontObject);
    t->drawnColor = packed(color);
    return texture;
}

void textRender(PyObject* self, ClipRect clip) {
    TextObject* t = asText(self);
    if (!t->isVisible) return;
    ClipRect r = clippedRect(self, clip);
    if (r.w <= 0 || r.h <= 0) return;
    widgetRender(self, clip);
    Ref lines = linesOf(self);
    if (PyList_GET_SIZE(lines.get()) == 0) return;
    FontObject* font = themeFont(self);
    Ref keepFont = Ref::borrow(reinterpret_cast<PyObject*>(font));
    Ref color = Ref::borrow(orNone(t->textColor));
    Ref texture = drawnText(t, font, lines, toColor(color));
    TargetClip targetClip(self, r);
    drawTexture(self, texture, t->x, t->y);
}

}  // namespace

const WidgetOps textOps = {&UITextType,    textSetRenderer,   textCalculateMinSize, widgetCalculateMaxSize,
                           widgetCalculatePos, textRender,     widgetUpdate,         widgetOnClick,
                           widgetOnScroll, widgetOnDragStart, widgetOnDrag,         widgetOnDragEnd};

namespace {

int UIText_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIText", 1, "text", "color");
        asWidget(self)->isEnabled = true;
        setText(self, a[0]);
        setRef(asText(self)->textColor, a[1]);
        return 0;
    });
}

PyObject* UIText_getText(PyObject* self, PyObject*) { return newRefOrNone(asText(self)->text); }

PyObject* UIText_setText(PyObject* self, PyObject* text) {
    return guard([&] {
        setText(self, text);
        return none();
    });
}

PyObject* UIText_getRenderedTextSize(PyObject* self, PyObject*) {
    return guard([&] {
        PyObject* renderer = asWidget(self)->renderer;
        if (!renderer || renderer == Py_None) return Py_BuildValue("(ii)", 0, 0);
        auto [width, height] = textSize(self);
        return Py_BuildValue("(LL)", (long long)width, (long long)height);
    });
}

PyObject* UIText_textGet(PyObject* self, void*) { return newRefOrNone(asText(self)->text); }
int UIText_textSet(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        setText(self, value);
        return 0;
    });
}

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("getText", UIText_getText, "The text."),
    BV_METHOD_ARG("setText", UIText_setText, "text",
              "Sets the text (a str); it is split into lines."),
    BV_METHOD_NOARGS("getRenderedTextSize", UIText_getRenderedTextSize,
                     "Determines the size which is required for the text. Note that this only works if the widget "
                     "is appended to a renderer."),
    BV_METHOD("render", renderMethod<textRender>, "Renders the text"),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed<UIText_textSet>("text", UIText_textGet),
    rw<&TextObject::textColor>("color"),
    propsEnd(),
};

ClassRegistration reg("UIText", [] {
    ClassSpec spec = specFor<TextObject>("UIText", UIWidgetType);
    spec.doc = "One or more lines of text in the theme's font.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIText_init;
    return UITextType = createType(spec);
});

}  // namespace

}  // namespace bv
