// UIButton: a list container around a UIText label, drawn as the theme's button strip, that
// announces its clicks as ButtonClickEvents.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/widget_base.hpp"

#include <algorithm>

namespace bv {

PyTypeObject* UIButtonType;

namespace {

using namespace ui;

ButtonObject* asButton(PyObject* o) { return reinterpret_cast<ButtonObject*>(o); }

// The label as a widget, or null when there is none.
WidgetObject* labelOf(PyObject* self) {
    PyObject* label = asButton(self)->label;
    return label && PyObject_TypeCheck(label, UIWidgetType) ? asWidget(label) : nullptr;
}

void buttonCalculateMinSize(PyObject* self) {
    ButtonObject* b = asButton(self);
    if (!b->renderer || b->renderer == Py_None) return listCalculateMinSize(self);
    Ref normal = widgetSpec(self, {"button", "normal"});
    int64_t minHeight = specInt(normal, "height");
    if (WidgetObject* label = labelOf(self)) {
        // Sizes of the previous frame: the label settles in the middle one frame after a change.
        b->paddingTop = int32_t((int64_t(b->height) - label->height) / 2);
        minHeight = std::max<int64_t>(minHeight, label->height);
    }
    int64_t capWidth = int64_t(specInt(normal, "left")) + specInt(normal, "right");
    listCalculateMinSize(self);
    if (b->sizePolicyX != SIZE_FIXED) b->width = int32_t(b->width + capWidth);
    if (b->sizePolicyY != SIZE_FIXED) b->height = int32_t(minHeight);
}

void buttonRender(PyObject* self, ClipRect clip) {
    ButtonObject* b = asButton(self);
    if (!b->isVisible) return;
    ClipRect r = clippedRect(self, clip);
    if (r.w <= 0 || r.h <= 0) return;
    TargetClip targetClip(self, r);
    Ref spec = widgetSpec(self, {"button", b->isHovered ? "hover" : "normal"});
    drawThreePatchHSpec(self, spec, b->x, b->y, b->width);
    containerRender(self, clip);
}

int32_t eventInt(PyObject* evt, const char* name) {
    Ref v = Ref::checked(PyObject_GetAttrString(evt, name));
    return toInt32(v);
}

bool buttonOnClick(PyObject* self, PyObject* evt) {
    containerOnClick(self, evt);
    ButtonObject* b = asButton(self);
    if (!b->isEnabled) return false;
    int32_t x = eventInt(evt, "x"), y = eventInt(evt, "y");
    if (!isInsideWidget(self, x, y)) return false;
    Ref px = Ref::checked(PyLong_FromLong(x)), py = Ref::checked(PyLong_FromLong(y));
    Ref button = Ref::checked(PyObject_GetAttrString(evt, "button"));
    Ref click = callObject(reinterpret_cast<PyObject*>(ButtonClickEventType), self, px.get(), py.get(), button.get());
    if (b->clickHandler && b->clickHandler != Py_None) {
        Ref handler = Ref::borrow(b->clickHandler);
        callObject(handler.get(), click.get());
    }
    PyObject* renderer = b->renderer;
    if (renderer && renderer != Py_None) {
        Ref engine = Ref::borrow(orNone(reinterpret_cast<UIRendererObject*>(renderer)->engine));
        if (engine.get() != Py_None) engine_methods::fireEvent.call(engine, click.get());
    }
    return true;
}

}  // namespace

const WidgetOps buttonOps = {&UIButtonType,     containerSetRenderer, buttonCalculateMinSize, listCalculateMaxSize,
                             listCalculatePos,  buttonRender,         containerUpdate,        buttonOnClick,
                             containerOnScroll, widgetOnDragStart,    widgetOnDrag,           widgetOnDragEnd};

namespace {

int UIButton_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIButton", 1, "label");
        asWidget(self)->isEnabled = true;
        childrenOf(self);
        Ref label = callObject(reinterpret_cast<PyObject*>(UITextType), a[0]);
        setRef(asButton(self)->label, label);
        appendChild(self, label);
        asWidget(label)->align = ALIGN_CENTER;
        asWidget(label)->valign = VALIGN_MIDDLE;
        return 0;
    });
}

// The label, or an AttributeError when the button has none.
PyObject* requireLabel(PyObject* self) {
    if (!labelOf(self)) {
        PyErr_SetString(PyExc_AttributeError, "the button has no label");
        throwPy();
    }
    return asButton(self)->label;
}

PyObject* UIButton_getText(PyObject* self, PyObject*) {
    return guard([&] { return callMethod(intern("getText"), requireLabel(self)).release(); });
}

PyObject* UIButton_setText(PyObject* self, PyObject* label) {
    return guard([&] { return callMethod(intern("setText"), requireLabel(self), label).release(); });
}

PyObject* UIButton_textGet(PyObject* self, void*) { return UIButton_getText(self, nullptr); }
int UIButton_textSet(PyObject* self, PyObject* value, void*) {
    Ref r = Ref::steal(UIButton_setText(self, value));
    return r ? 0 : -1;
}

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("getText", UIButton_getText, "The label's text."),
    BV_METHOD_ARG("setText", UIButton_setText, "label", "Sets the label's text."),
    BV_METHOD("render", renderMethod<buttonRender>, "Renders the button and its label"),
    BV_METHOD("_onClick", (eventMethod<buttonOnClick, "_onClick">), nullptr),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed<UIButton_textSet>("text", UIButton_textGet),
    propsEnd(),
};

ClassRegistration reg("UIButton", [] {
    ClassSpec spec = specFor<ButtonObject>("UIButton", UIListContainerType);
    spec.doc = "A button with a text label; a click fires a ButtonClickEvent.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIButton_init;
    return UIButtonType = createType(spec);
});

}  // namespace

}  // namespace bv
