// UIRenderer: the renderer system that lays out, updates and draws a widget tree every frame and
// routes the engine's mouse clicks and wheel moves into it.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "resources/texture.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/layout_cache.hpp"
#include "ui/widget_base.hpp"

namespace bv {

PyTypeObject* UIRendererType;

namespace {

using namespace ui;

constexpr int kMouseLeft = 1;

UIRendererObject* asUIRenderer(PyObject* o) { return reinterpret_cast<UIRendererObject*>(o); }

PyObject* eventClass(const char* name) {
    PyObject* cls = moduleGlobal(name);
    if (!cls) {
        PyErr_Format(PyExc_RuntimeError, "brovaline.%s is not available", name);
        throwPy();
    }
    return cls;
}

// The root widget; a TypeError when the raw field was emptied.
PyObject* rootOf(PyObject* self) {
    PyObject* root = asUIRenderer(self)->widget;
    if (!root || !PyObject_TypeCheck(root, UIWidgetType)) {
        PyErr_SetString(PyExc_TypeError, "the UIRenderer has no root widget");
        throwPy();
    }
    return root;
}

// The target's surface; an AttributeError when there is no target.
SDL_Surface* targetOf(PyObject* self) {
    PyObject* target = asUIRenderer(self)->target;
    if (!target || !PyObject_TypeCheck(target, TextureType)) {
        PyErr_SetString(PyExc_AttributeError, "the UIRenderer has no render target");
        throwPy();
    }
    return surfaceOf(reinterpret_cast<TextureObject*>(target));
}

int UIRenderer_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIRenderer", 3, "target", "fillBackground", "theme");
        checkArg(a[0], TextureType, "target");
        int32_t fill = toInt32(a[1]);
        checkArg(a[2], UIThemeType, "theme");
        UIRendererObject* r = asUIRenderer(self);
        Ref noComponents = Ref::checked(PyTuple_Pack(1, Py_None));
        systemInit(r, noComponents);
        setRef(r->target, a[0]);
        r->fillBackground = fill != 0;
        setRef(r->theme, a[2]);
        Ref root = Ref::checked(PyObject_CallNoArgs(reinterpret_cast<PyObject*>(UIAnchoredContainerType)));
        setRef(asWidget(root)->renderer, self);
        setRef(r->widget, root);
        return 0;
    });
}

PyObject* UIRenderer_getSize(PyObject* self, PyObject*) {
    return guard([&] {
        SDL_Surface* s = targetOf(self);
        return Py_BuildValue("(ii)", s->w, s->h);
    });
}

// The pointer in target pixels and the left button, as the engine reports them. Without an engine
// the pointer is nowhere and no button is held.
void pointerState(PyObject* self, int32_t& x, int32_t& y, bool& pressed) {
    x = y = -1;
    pressed = false;
    PyObject* engine = asUIRenderer(self)->engine;
    if (!engine || engine == Py_None) return;
    Ref e = Ref::borrow(engine);
    Ref pos = callMethod(intern("getMousePos"), e.get());
    auto [px, py] = unpackPair(pos);
    x = toInt32(px);
    y = toInt32(py);
    Ref button = Ref::checked(PyLong_FromLong(kMouseLeft));
    pressed = truth(callMethod(intern("isMouseButtonPressed"), e.get(), button.get()));
}

void fillBackground(PyObject* self) {
    UIRendererObject* r = asUIRenderer(self);
    PyObject* theme = r->theme;
    if (!theme || !PyObject_TypeCheck(theme, UIThemeType)) {
        PyErr_SetString(PyExc_AttributeError, "the UIRenderer has no UITheme");
        throwPy();
    }
    Ref name = Ref::checked(PyUnicode_FromString("background"));
    Ref color;
    try {
        color = callMethod(intern("getIntColor"), theme, name.get());
    } catch (const PyError&) {
        if (!PyErr_ExceptionMatches(PyExc_KeyError)) throw;
        throwThemeLacks(theme, self, "the colour \"background\" (colors.background) to fill its background",
                        "colour \"background\" in colors");
    }
    uint32_t pixel = toUInt32(color);
    SDL_Surface* s = targetOf(self);
    SDL_SetClipRect(s, nullptr);
    fillAll(pixelsOf(reinterpret_cast<TextureObject*>(r->target)), pixel);
}

PyObject* UIRenderer_render(PyObject* self, PyObject*) {
    return guard([&] {
        if (asUIRenderer(self)->fillBackground) fillBackground(self);
        int32_t mouseX, mouseY;
        bool pressed;
        pointerState(self, mouseX, mouseY, pressed);
        Ref root = Ref::borrow(rootOf(self));
        layOutTree(asUIRenderer(self), root);
        updateWidget(root, mouseX, mouseY, pressed);
        renderWidget(root, {-1, -1, -1, -1});
        return none();
    });
}

void storeHandled(PyObject* evt, bool handled) {
    check(PyObject_SetAttrString(evt, "isAlreadyHandled", handled ? Py_True : Py_False));
}

PyObject* UIRenderer_onClick(PyObject* self, PyObject* evt) {
    return guard([&] {
        Ref root = Ref::borrow(rootOf(self));
        storeHandled(evt, clickWidget(root, evt));
        return none();
    });
}

PyObject* UIRenderer_onScroll(PyObject* self, PyObject* evt) {
    return guard([&] {
        Ref root = Ref::borrow(rootOf(self));
        storeHandled(evt, scrollWidget(root, evt));
        return none();
    });
}

// engine.<method>(eventClass, self.<handlerName>) for both mouse handlers.
void subscription(PyObject* self, PyObject* engine, const char* method) {
    const std::pair<const char*, const char*> handlers[] = {{"MouseClickEvent", "_onClick"},
                                                            {"MouseWheelEvent", "_onScroll"}};
    for (auto [cls, handlerName] : handlers) {
        Ref handler = Ref::checked(PyObject_GetAttrString(self, handlerName));
        Ref r = Ref::checked(PyObject_CallMethod(engine, method, "OO", eventClass(cls), handler.get()));
    }
}

PyObject* UIRenderer_setEngine(PyObject* self, PyObject* engine) {
    return guard([&] {
        checkArg(engine, EngineType, "engine");
        Ref old = Ref::borrow(orNone(asUIRenderer(self)->engine));
        if (old.get() != Py_None) subscription(self, old, "unsubscribeEvent");
        Ref base = Ref::checked(PyObject_GetAttrString(reinterpret_cast<PyObject*>(AbstractSystemType), "_setEngine"));
        callObject(base.get(), self, engine);
        if (engine != Py_None) subscription(self, engine, "subscribeEvent");
        return none();
    });
}

PyObject* UIRenderer_getWidget(PyObject* self, void*) { return newRefOrNone(asUIRenderer(self)->widget); }

int UIRenderer_setWidget(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        checkArg(value, UIWidgetType, "widget", false);
        UIRendererObject* r = asUIRenderer(self);
        Ref old = Ref::borrow(r->widget);
        if (old && PyObject_TypeCheck(old.get(), UIWidgetType)) setRendererOf(old, Py_None);
        setRef(r->widget, value);
        setRendererOf(value, self);
        return 0;
    });
}

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("getSize", UIRenderer_getSize, "Returns the size of the render target"),
    BV_METHOD_NOARGS("render", UIRenderer_render, "Renders a single frame onto the render target"),
    BV_METHOD_ARG("_setEngine", UIRenderer_setEngine, "engine", nullptr),
    BV_METHOD_ARG("_onClick", UIRenderer_onClick, "evt", nullptr),
    BV_METHOD_ARG("_onScroll", UIRenderer_onScroll, "evt", nullptr),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed<UIRenderer_setWidget>("widget", UIRenderer_getWidget, "The root widget."),
    ro<&UIRendererObject::theme>("theme"),
    propsEnd(),
};

ClassRegistration reg("UIRenderer", [] {
    ClassSpec spec = specFor<UIRendererObject>("UIRenderer", RendererType);
    spec.doc = "Draws a tree of widgets onto the render target every frame.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIRenderer_init;
    return UIRendererType = createType(spec);
});

}  // namespace

}  // namespace bv
