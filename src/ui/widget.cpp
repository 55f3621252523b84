// UIWidget: the box, size policies, margins, alignment and state that every widget has, and the
// base rules of the frame passes (minimum size, maximum size, position, update, drawing).
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/widget_base.hpp"

#include <algorithm>

namespace bv {

PyTypeObject* UIWidgetType;

namespace ui {

bool pointInRect(int64_t px, int64_t py, int64_t rx, int64_t ry, int64_t rw, int64_t rh) {
    return rx < px && px < rx + rw && ry < py && py < ry + rh;
}

void widgetSetRenderer(PyObject* self, PyObject* renderer) { setRef(asWidget(self)->renderer, renderer); }

void widgetSetParent(PyObject* self, PyObject* parent) {
    checkArg(parent, AbstractUIContainerType, "parent");
    Ref keep = Ref::borrow(parent);
    if (parent != Py_None) {
        Ref renderer = Ref::borrow(orNone(asWidget(parent)->renderer));
        setRendererOf(self, renderer.get());
    }
    setRef(asWidget(self)->parent, parent);
}

void widgetCalculateMinSize(PyObject* self) {
    WidgetObject* w = asWidget(self);
    if (w->sizePolicyX != SIZE_FIXED) w->width = 0;
    if (w->sizePolicyY != SIZE_FIXED) w->height = 0;
}

void widgetCalculateMaxSize(PyObject* self) {
    WidgetObject* w = asWidget(self);
    int64_t availableW, availableH;
    if (w->parent && w->parent != Py_None) {
        ContainerObject* parent = asContainer(w->parent);
        availableW = parent->clientWidth;
        availableH = parent->clientHeight;
    } else if (w->renderer && w->renderer != Py_None) {
        SDL_Surface* target = targetSurface(self);
        availableW = target->w;
        availableH = target->h;
    } else {
        return;
    }
    if (w->sizePolicyX == SIZE_GROW) w->width = int32_t(availableW - w->marginLeft - w->marginRight);
    if (w->sizePolicyY == SIZE_GROW) w->height = int32_t(availableH - w->marginTop - w->marginBottom);
}

void widgetCalculatePos(PyObject*) {}

void widgetRender(PyObject* self, ClipRect) {
    if (!asWidget(self)->isVisible) return;
    attachedRenderer(self);
}

void widgetUpdate(PyObject* self, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed) {
    WidgetObject* w = asWidget(self);
    w->isHovered = isInsideWidget(self, mouseX, mouseY);
    if (w->isHovered && isMouseLeftPressed && !w->beingDragged) {
        w->dragStartX = w->dragPrevX = mouseX;
        w->dragStartY = w->dragPrevY = mouseY;
        w->beingDragged = true;
        dragStartWidget(self, mouseX, mouseY);
    }
    if (!w->beingDragged) return;
    if (!isMouseLeftPressed) {
        w->beingDragged = false;
        dragEndWidget(self, mouseX, mouseY);
    } else {
        dragWidget(self, mouseX, mouseY, int64_t(mouseX) - w->dragPrevX, int64_t(mouseY) - w->dragPrevY);
        w->dragPrevX = mouseX;
        w->dragPrevY = mouseY;
    }
}

bool widgetOnClick(PyObject* self, PyObject* evt) {
    WidgetObject* w = asWidget(self);
    if (!w->isEnabled || !w->isHovered) return false;
    if (w->clickHandler && w->clickHandler != Py_None) {
        Ref handler = Ref::borrow(w->clickHandler);
        callObject(handler.get(), evt);
    }
    return true;
}

bool widgetOnScroll(PyObject*, PyObject*) { return false; }
void widgetOnDragStart(PyObject*, int32_t, int32_t) {}
void widgetOnDrag(PyObject*, int32_t, int32_t, int64_t, int64_t) {}
void widgetOnDragEnd(PyObject*, int32_t, int32_t) {}

ClipRect clippedRect(PyObject* self, ClipRect clip) {
    WidgetObject* w = asWidget(self);
    if (clip.x < 0 || clip.y < 0 || clip.w < 0 || clip.h < 0) return {w->x, w->y, w->width, w->height};
    int64_t left = std::max<int64_t>(clip.x, w->x), top = std::max<int64_t>(clip.y, w->y);
    int64_t right = std::min<int64_t>(int64_t(clip.x) + clip.w, int64_t(w->x) + w->width);
    int64_t bottom = std::min<int64_t>(int64_t(clip.y) + clip.h, int64_t(w->y) + w->height);
    return {int32_t(left), int32_t(top), int32_t(std::max<int64_t>(right - left, INT32_MIN)),
            int32_t(std::max<int64_t>(bottom - top, INT32_MIN))};
}

void assignSides(const char* what, PyObject* const* args, Py_ssize_t nargs, int32_t& top, int32_t& right,
                 int32_t& bottom, int32_t& left) {
    // Index of the argument for top, right, bottom and left, by the number of values given.
    static constexpr int kSource[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1}, {0, 1, 2, 3}};
    if (nargs < 1 || nargs > 4) {
        PyErr_Format(PyExc_ValueError, "%s takes either 1, 2, 3 or 4 values. %d were given.", what, int(nargs));
        throwPy();
    }
    int32_t* sides[4] = {&top, &right, &bottom, &left};
    for (int i = 0; i < 4; ++i) *sides[i] = toInt32(args[kSource[nargs - 1][i]]);
}

}  // namespace ui

using namespace ui;

const WidgetOps widgetOps = {&UIWidgetType,       widgetSetRenderer, widgetCalculateMinSize, widgetCalculateMaxSize,
                             widgetCalculatePos,  widgetRender,      widgetUpdate,           widgetOnClick,
                             widgetOnScroll,      widgetOnDragStart, widgetOnDrag,           widgetOnDragEnd};

namespace {

int UIWidget_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIWidget", 0);
        (void)a;
        asWidget(self)->isEnabled = true;
        return 0;
    });
}

PyObject* UIWidget_setMargin(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    return guard([&] {
        WidgetObject* w = asWidget(self);
        assignSides("setMargin", args, nargs, w->marginTop, w->marginRight, w->marginBottom, w->marginLeft);
        return none();
    });
}

PyObject* UIWidget_getParent(PyObject* self, PyObject*) { return newRefOrNone(asWidget(self)->parent); }
PyObject* UIWidget_getRenderer(PyObject* self, PyObject*) { return newRefOrNone(asWidget(self)->renderer); }

PyObject* UIWidget_isInside(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("isInside", 2, "mouseX", "mouseY");
        WidgetObject* w = asWidget(self);
        return boolean(pointInRect(toInt32(a[0]), toInt32(a[1]), w->x, w->y, w->width, w->height));
    });
}

PyObject* UIWidget_pointInRect(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("_pointInRect", 6, "pointX", "pointY", "rectX", "rectY", "rectW", "rectH");
        int64_t v[6];
        for (int i = 0; i < 6; ++i) v[i] = toInt32(a[i]);
        return boolean(pointInRect(v[0], v[1], v[2], v[3], v[4], v[5]));
    });
}

PyObject* UIWidget_setParent(PyObject* self, PyObject* parent) {
    return guard([&] {
        widgetSetParent(self, parent);
        return none();
    });
}

PyMethodDef methods[] = {
    {"setMargin", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(UIWidget_setMargin)), METH_FASTCALL,
     "Sets the margins: 1 to 4 values in the order top, right, bottom, left."},
    BV_METHOD_NOARGS("getParent", UIWidget_getParent, "The containing container, or None."),
    BV_METHOD_NOARGS("getRenderer", UIWidget_getRenderer, "The UIRenderer the widget is attached to, or None."),
    BV_METHOD("render", renderMethod<widgetRender>, "Draws the widget clipped to the rectangle; negative values: unclipped."),
    BV_METHOD("update", updateMethod<widgetUpdate>, "Updates the hover and drag state."),
    BV_METHOD("onDragStart", (dragEdgeMethod<widgetOnDragStart, "onDragStart">), "Called when a drag begins."),
    BV_METHOD("onDragEnd", (dragEdgeMethod<widgetOnDragEnd, "onDragEnd">), "Called when a drag ends."),
    BV_METHOD("onDrag", dragMethod<widgetOnDrag>, "Called on every frame of a drag with the pointer's movement."),
    BV_METHOD("isInside", UIWidget_isInside, "This method returns true if the given coordinates are inside the widget"),
    BV_METHOD("_pointInRect", UIWidget_pointInRect, "True when the point lies strictly inside the rectangle."),
    BV_METHOD_ARG("_setParent", UIWidget_setParent, "parent", nullptr),
    BV_METHOD("_onClick", (eventMethod<widgetOnClick, "_onClick">), nullptr),
    BV_METHOD("_onScroll", (eventMethod<widgetOnScroll, "_onScroll">), nullptr),
    BV_METHODS_END,
};

PyObject* UIWidget_getRect(PyObject* self, void*) {
    WidgetObject* w = asWidget(self);
    return Py_BuildValue("(iiii)", w->x, w->y, w->width, w->height);
}

PyGetSetDef props[] = {
    computed("rect", UIWidget_getRect, "(x, y, width, height): the box in target pixels as laid out by the last frame."),
    rw<&WidgetObject::sizePolicyX>("sizePolicyX"),
    rw<&WidgetObject::sizePolicyY>("sizePolicyY"),
    rw<&WidgetObject::width>("width"),
    rw<&WidgetObject::height>("height"),
    rw<&WidgetObject::x>("_x"),
    rw<&WidgetObject::y>("_y"),
    rw<&WidgetObject::align>("horizontalAlign"),
    rw<&WidgetObject::valign>("verticalAlign"),
    ro<&WidgetObject::isHovered>("isHovered"),
    rw<&WidgetObject::clickHandler>("onClick"),
    rw<&WidgetObject::marginLeft>("marginLeft"),
    rw<&WidgetObject::marginTop>("marginTop"),
    rw<&WidgetObject::marginRight>("marginRight"),
    rw<&WidgetObject::marginBottom>("marginBottom"),
    rw<&WidgetObject::isVisible>("isVisible"),
    rw<&WidgetObject::isEnabled>("isEnabled"),
    rw<&WidgetObject::userData>("userData"),
    propsEnd(),
};

ClassRegistration reg("UIWidget", [] {
    ClassSpec spec = specFor<WidgetObject>("UIWidget");
    spec.doc = "The base class of every widget.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIWidget_init;
    UIWidgetType = createType(spec);
    bindWidgetMethods(UIWidgetType);
    return UIWidgetType;
});

}  // namespace

}  // namespace bv
