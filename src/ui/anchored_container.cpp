// UIAnchoredContainer: each child pinned to an edge or the centre of the box with an offset, and
// _UIAnchorWrapper, the record of one child's offsets and anchors.
#include "common/identity_lists.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ecs/ecs.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/widget_base.hpp"

#include <cmath>

namespace bv {

PyTypeObject *UIAnchorWrapperType, *UIAnchoredContainerType;

namespace {

using namespace ui;

AnchoredContainerObject* asAnchored(PyObject* o) { return reinterpret_cast<AnchoredContainerObject*>(o); }
AnchorWrapperObject* asWrapper(PyObject* o) { return reinterpret_cast<AnchorWrapperObject*>(o); }

PyObject* wrappersOf(PyObject* self) {
    AnchoredContainerObject* c = asAnchored(self);
    if (!c->wrappedChildren || !PyList_Check(c->wrappedChildren)) {
        Ref list = Ref::checked(PyList_New(0));
        setRef(c->wrappedChildren, list);
    }
    return c->wrappedChildren;
}

// The coordinate of a child anchored on one axis: `start`/`length` of the container's box,
// `offset` from the wrapper, the child's near and far margins and its size.
int32_t anchored(int32_t anchor, int32_t farAnchor, int64_t start, int64_t length, int64_t offset, int64_t nearMargin,
                 int64_t farMargin, int64_t size) {
    if (anchor == farAnchor) return int32_t(start + length - offset - farMargin - size);
    if (anchor == ANCHOR_CENTER)
        return int32_t(int64_t(std::trunc(length * 0.5 + nearMargin + offset - farMargin - size * 0.5)) + start);
    return int32_t(offset + start + nearMargin);
}

void anchoredCalculatePos(PyObject* self) {
    AnchoredContainerObject* c = asAnchored(self);
    Ref wrappers = snapshot(wrappersOf(self));
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(wrappers.get()); ++i) {
        PyObject* item = PyList_GET_ITEM(wrappers.get(), i);
        if (!PyObject_TypeCheck(item, UIAnchorWrapperType)) {
            PyErr_SetString(PyExc_TypeError, "an anchored container's wrappers must be _UIAnchorWrapper objects");
            throwPy();
        }
        AnchorWrapperObject* wrapper = asWrapper(item);
        Ref child = Ref::borrow(orNone(wrapper->wrapped));
        if (!PyObject_TypeCheck(child.get(), UIWidgetType)) continue;
        WidgetObject* w = asWidget(child);
        w->x = anchored(wrapper->anchorTypeX, ANCHOR_RIGHT, c->x, c->width, wrapper->x, w->marginLeft, w->marginRight,
                        w->width);
        w->y = anchored(wrapper->anchorTypeY, ANCHOR_BOTTOM, c->y, c->height, wrapper->y, w->marginTop,
                        w->marginBottom, w->height);
        calculatePosOf(child);
    }
}

}  // namespace

const WidgetOps anchoredContainerOps = {&UIAnchoredContainerType, containerSetRenderer, containerCalculateMinSize,
                                        containerCalculateMaxSize, anchoredCalculatePos, containerRender,
                                        containerUpdate,           containerOnClick,     containerOnScroll,
                                        widgetOnDragStart,         widgetOnDrag,         widgetOnDragEnd};

namespace {

int UIAnchorWrapper_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("_UIAnchorWrapper", 5, "child", "x", "y", "anchorTypeX", "anchorTypeY");
        checkArg(a[0], UIWidgetType, "child");
        AnchorWrapperObject* w = asWrapper(self);
        w->x = toInt32(a[1]);
        w->y = toInt32(a[2]);
        w->anchorTypeX = toInt32(a[3]);
        w->anchorTypeY = toInt32(a[4]);
        setRef(w->wrapped, a[0]);
        return 0;
    });
}

PyGetSetDef wrapperProps[] = {
    rwTyped<&AnchorWrapperObject::wrapped, &UIWidgetType>("_wrapped"),
    rw<&AnchorWrapperObject::x>("_x"),
    rw<&AnchorWrapperObject::y>("_y"),
    rw<&AnchorWrapperObject::anchorTypeX>("_anchorTypeX"),
    rw<&AnchorWrapperObject::anchorTypeY>("_anchorTypeY"),
    propsEnd(),
};

ClassRegistration wrapperReg("_UIAnchorWrapper", [] {
    ClassSpec spec = specFor<AnchorWrapperObject>("_UIAnchorWrapper");
    spec.doc = "A child of an anchored container with its offsets and anchors.";
    spec.getset = wrapperProps;
    spec.init = UIAnchorWrapper_init;
    return UIAnchorWrapperType = createType(spec);
});

int UIAnchoredContainer_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIAnchoredContainer", 0);
        (void)a;
        WidgetObject* w = asWidget(self);
        w->isEnabled = true;
        childrenOf(self);
        wrappersOf(self);
        w->sizePolicyX = w->sizePolicyY = SIZE_GROW;
        return 0;
    });
}

PyObject* UIAnchoredContainer_addChild(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("addChild", 3, "child", "x", "y", "anchorTypeX", "anchorTypeY");
        checkArg(a[0], UIWidgetType, "child", false);
        Ref ax = Ref::borrow(a[3] ? a[3] : nullptr), ay = Ref::borrow(a[4] ? a[4] : nullptr);
        if (!ax) ax = Ref::checked(PyLong_FromLong(ANCHOR_LEFT));
        if (!ay) ay = Ref::checked(PyLong_FromLong(ANCHOR_TOP));
        Ref wrapper = callObject(reinterpret_cast<PyObject*>(UIAnchorWrapperType), a[0], a[1], a[2], ax.get(), ay.get());
        if (sequenceContains(childrenOf(self), a[0])) return none();
        check(PyList_Append(wrappersOf(self), wrapper));
        appendChild(self, a[0]);
        return none();
    });
}

PyObject* UIAnchoredContainer_removeChild(PyObject* self, PyObject* child) {
    return guard([&] {
        checkArg(child, UIWidgetType, "child");
        PyObject* wrappers = wrappersOf(self);
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(wrappers); ++i) {
            PyObject* item = PyList_GET_ITEM(wrappers, i);
            if (!PyObject_TypeCheck(item, UIAnchorWrapperType)) continue;
            Ref wrapped = Ref::borrow(orNone(asWrapper(item)->wrapped));
            if (check(PyObject_RichCompareBool(wrapped, child, Py_EQ))) {
                check(PyList_SetSlice(wrappers, i, i + 1, nullptr));
                break;
            }
        }
        PyObject* children = childrenOf(self);
        removeIfContained(children, child);
        return none();
    });
}

// Clears the anchors with the children, so that a removed child is no longer placed by this container.
PyObject* UIAnchoredContainer_removeAllChildren(PyObject* self, PyObject*) {
    return guard([&] {
        for (PyObject* list : {wrappersOf(self), childrenOf(self)})
            check(PyList_SetSlice(list, 0, PyList_GET_SIZE(list), nullptr));
        return none();
    });
}

PyMethodDef methods[] = {
    BV_METHOD("addChild", UIAnchoredContainer_addChild,
              "Adds a child at an offset from the anchored edges (ANCHOR_LEFT/RIGHT/CENTER, ANCHOR_TOP/BOTTOM/CENTER)."),
    BV_METHOD_ARG("removeChild", UIAnchoredContainer_removeChild, "child",
              "Removes the child and its anchoring."),
    BV_METHOD_NOARGS("removeAllChildren", UIAnchoredContainer_removeAllChildren, "Removes every child and its anchoring."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    rw<&AnchoredContainerObject::wrappedChildren>("_wrappedChildren"),
    propsEnd(),
};

ClassRegistration reg("UIAnchoredContainer", [] {
    ClassSpec spec = specFor<AnchoredContainerObject>("UIAnchoredContainer", AbstractUIContainerType);
    spec.doc = "A container that pins each child to an edge or the centre of its box.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIAnchoredContainer_init;
    return UIAnchoredContainerType = createType(spec);
});

}  // namespace

}  // namespace bv
