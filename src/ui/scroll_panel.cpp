// UIScrollPanel: one content widget seen through a padded window, scrolled by a vertical UISlider
// and the mouse wheel.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/slider.hpp"
#include "ui/widget_base.hpp"

#include <algorithm>

namespace bv {

PyTypeObject* UIScrollPanelType;

namespace {

using namespace ui;

ScrollPanelObject* asScrollPanel(PyObject* o) { return reinterpret_cast<ScrollPanelObject*>(o); }

// The scroll bar; a TypeError when the raw field does not hold a UISlider.
PyObject* scrollBarOf(PyObject* self) {
    PyObject* bar = asScrollPanel(self)->scrollBar;
    if (!bar || !PyObject_TypeCheck(bar, UISliderType)) {
        PyErr_SetString(PyExc_TypeError, "the scroll panel has no UISlider scroll bar");
        throwPy();
    }
    return bar;
}

// The first child; an IndexError when there is none.
PyObject* contentOf(PyObject* self) {
    PyObject* children = childrenOf(self);
    if (PyList_GET_SIZE(children) == 0) {
        PyErr_SetString(PyExc_IndexError, "the scroll panel has no content");
        throwPy();
    }
    return widgetItem(children, 0);
}

void scrollPanelSetRenderer(PyObject* self, PyObject* renderer) {
    containerSetRenderer(self, renderer);
    Ref bar = Ref::borrow(scrollBarOf(self));
    setRendererOf(bar, renderer);
}

void scrollPanelCalculateMinSize(PyObject* self) {
    containerCalculateMinSize(self);
    ScrollPanelObject* p = asScrollPanel(self);
    if (p->sizePolicyX != SIZE_FIXED) p->width = 50;
    if (p->sizePolicyY != SIZE_FIXED) p->height = 50;
    Ref bar = Ref::borrow(scrollBarOf(self));
    calculateMinSizeOf(bar);
}

void scrollPanelCalculateMaxSize(PyObject* self) {
    widgetCalculateMaxSize(self);
    ScrollPanelObject* p = asScrollPanel(self);
    // The client area (inside the padding, beside the scroll bar) is what growing content fills.
    p->clientWidth = int32_t(int64_t(p->width) - p->paddingLeft - p->paddingRight - asWidget(scrollBarOf(self))->width);
    p->clientHeight = int32_t(int64_t(p->height) - p->paddingTop - p->paddingBottom);
    Ref children = childSnapshot(self);
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) {
        PyObject* child = widgetItem(children, i);
        calculateMaxSizeOf(child);
    }
}

void scrollPanelCalculatePos(PyObject* self) {
    ScrollPanelObject* p = asScrollPanel(self);
    WidgetObject* content = asWidget(contentOf(self));
    content->x = int32_t(int64_t(content->marginLeft) + p->x + p->paddingLeft - p->scrollPosX);
    content->y = int32_t(int64_t(content->marginTop) + p->y + p->paddingTop - p->scrollPosY);
    containerCalculatePos(self);
    p->maxScrollPosX = int32_t(std::max<int64_t>(0, int64_t(p->paddingLeft) + content->width + p->paddingRight - p->width));
    p->maxScrollPosY =
        int32_t(std::max<int64_t>(0, int64_t(p->paddingTop) + content->height + p->paddingBottom - p->height));
}

void scrollPanelUpdate(PyObject* self, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed) {
    containerUpdate(self, mouseX, mouseY, isMouseLeftPressed);
    ScrollPanelObject* p = asScrollPanel(self);
    Ref margin = widgetSpec(self, {"scrollPanel", "sliderMargin"});
    int64_t top = specInt(margin, "top"), right = specInt(margin, "right"), bottom = specInt(margin, "bottom");
    specInt(margin, "left");
    Ref bar = Ref::borrow(scrollBarOf(self));
    auto* slider = reinterpret_cast<SliderObject*>(bar.get());
    slider->height = int32_t(p->height - top - bottom);
    slider->x = int32_t(int64_t(p->x) + p->width - slider->width - right);
    slider->y = int32_t(p->y + top);
    slider->maxValue = p->maxScrollPosY;
    // Content that shrank must not stay scrolled beyond its new end.
    if (slider->value > slider->maxValue) setSliderValue(bar, slider->value);
    updateWidget(bar, mouseX, mouseY, isMouseLeftPressed);
    p->scrollPosY = slider->value;
}

void scrollPanelRender(PyObject* self, ClipRect clip) {
    ScrollPanelObject* p = asScrollPanel(self);
    if (!p->isVisible || !p->renderer || p->renderer == Py_None) return;
    ClipRect r = clippedRect(self, clip);
    Ref padding = widgetSpec(self, {"scrollPanel", "clipPadding"});
    int64_t left = specInt(padding, "left"), top = specInt(padding, "top");
    int64_t right = specInt(padding, "right"), bottom = specInt(padding, "bottom");
    int64_t cw = r.w - left - right, ch = r.h - top - bottom;
    if (cw < 1 || ch < 1) return;
    ClipRect content{int32_t(r.x + left), int32_t(r.y + top), int32_t(cw), int32_t(ch)};
    Ref frame = widgetSpec(self, {"scrollPanel", "panel"});
    {
        TargetClip targetClip(self, r);
        drawNinePatchSpec(self, frame, {p->x, p->y, p->width, p->height});
    }
    containerRender(self, content);
    Ref bar = Ref::borrow(scrollBarOf(self));
    renderWidget(bar, r);
}

bool scrollPanelOnClick(PyObject* self, PyObject* evt) {
    Ref bar = Ref::borrow(scrollBarOf(self));
    return clickWidget(bar, evt) || containerOnClick(self, evt);
}

bool scrollPanelOnScroll(PyObject* self, PyObject* evt) {
    if (containerOnScroll(self, evt)) return true;
    ScrollPanelObject* p = asScrollPanel(self);
    if (!p->isEnabled || !p->isHovered) return false;
    Ref y = Ref::checked(PyObject_GetAttrString(evt, "y"));
    int64_t steps = toInt32(y);
    Ref bar = Ref::borrow(scrollBarOf(self));
    setSliderValue(bar, reinterpret_cast<SliderObject*>(bar.get())->value - steps * p->wheelScrollPixels);
    return true;
}

}  // namespace

const WidgetOps scrollPanelOps = {&UIScrollPanelType,       scrollPanelSetRenderer, scrollPanelCalculateMinSize,
                                  scrollPanelCalculateMaxSize, scrollPanelCalculatePos, scrollPanelRender,
                                  scrollPanelUpdate,        scrollPanelOnClick,     scrollPanelOnScroll,
                                  widgetOnDragStart,        widgetOnDrag,           widgetOnDragEnd};

namespace {

void setContent(PyObject* self, PyObject* content) {
    checkArg(content, UIWidgetType, "content", false);
    PyObject* children = childrenOf(self);
    check(PyList_SetSlice(children, 0, PyList_GET_SIZE(children), nullptr));
    appendChild(self, content);
}

int UIScrollPanel_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIScrollPanel", 1, "content");
        checkArg(a[0], UIWidgetType, "content", false);
        ScrollPanelObject* p = asScrollPanel(self);
        p->isEnabled = true;
        Ref bar = Ref::checked(PyObject_CallFunction(reinterpret_cast<PyObject*>(UISliderType), "iiii", 0, 0, 100,
                                                     int(SLIDER_ORIENTATION_VERTICAL)));
        setRef(p->scrollBar, bar);
        setContent(self, a[0]);
        p->scrollPosX = p->scrollPosY = 0;
        p->sizePolicyX = p->sizePolicyY = SIZE_FIXED;
        return 0;
    });
}

PyObject* UIScrollPanel_setPadding(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    return guard([&] {
        ScrollPanelObject* p = asScrollPanel(self);
        assignSides("setPadding", args, nargs, p->paddingTop, p->paddingRight, p->paddingBottom, p->paddingLeft);
        return none();
    });
}

PyObject* UIScrollPanel_contentGet(PyObject* self, void*) {
    return guard([&] { return Py_NewRef(contentOf(self)); });
}
int UIScrollPanel_contentSet(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        setContent(self, value);
        return 0;
    });
}

PyObject* UIScrollPanel_scrollPosXGet(PyObject* self, void*) { return PyLong_FromLong(asScrollPanel(self)->scrollPosX); }
int UIScrollPanel_scrollPosXSet(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        ScrollPanelObject* p = asScrollPanel(self);
        p->scrollPosX = std::min(toInt32(value), p->maxScrollPosX);
        return 0;
    });
}

PyObject* UIScrollPanel_scrollPosYGet(PyObject* self, void*) { return PyLong_FromLong(asScrollPanel(self)->scrollPosY); }
int UIScrollPanel_scrollPosYSet(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        Ref number = Ref::checked(PyNumber_Long(value));
        setSliderValue(scrollBarOf(self), toInt32(number));
        return 0;
    });
}

PyMethodDef methods[] = {
    {"setPadding", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(UIScrollPanel_setPadding)),
     METH_FASTCALL, "Sets the padding: 1 to 4 values in the order top, right, bottom, left."},
    BV_METHOD("render", renderMethod<scrollPanelRender>, "Renders the content widget"),
    BV_METHOD("update", updateMethod<scrollPanelUpdate>, "Updates the content and the scroll bar."),
    BV_METHOD("_onClick", (eventMethod<scrollPanelOnClick, "_onClick">), nullptr),
    BV_METHOD("_onScroll", (eventMethod<scrollPanelOnScroll, "_onScroll">), nullptr),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed<UIScrollPanel_contentSet>("content", UIScrollPanel_contentGet, "The scrolled widget."),
    computed<UIScrollPanel_scrollPosXSet>("scrollPosX", UIScrollPanel_scrollPosXGet),
    computed<UIScrollPanel_scrollPosYSet>("scrollPosY", UIScrollPanel_scrollPosYGet),
    rw<&ScrollPanelObject::paddingLeft>("paddingLeft"),
    rw<&ScrollPanelObject::paddingTop>("paddingTop"),
    rw<&ScrollPanelObject::paddingRight>("paddingRight"),
    rw<&ScrollPanelObject::paddingBottom>("paddingBottom"),
    rw<&ScrollPanelObject::wheelScrollPixels>("wheelScrollPixels"),
    propsEnd(),
};

ClassRegistration reg("UIScrollPanel", [] {
    ClassSpec spec = specFor<ScrollPanelObject>("UIScrollPanel", AbstractUIContainerType);
    spec.doc = "Shows one content widget through a scrollable window.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIScrollPanel_init;
    return UIScrollPanelType = createType(spec);
});

}  // namespace

}  // namespace bv
