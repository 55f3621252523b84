// AbstractUIContainer: an ordered list of child widgets that every frame pass and event reaches.
#include "common/identity_lists.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ecs/ecs.hpp"
#include "ui/widget_calls.hpp"
#include "ui/widget_base.hpp"

namespace bv {

PyTypeObject* AbstractUIContainerType;

namespace ui {

PyObject* childrenOf(PyObject* self) {
    ContainerObject* c = asContainer(self);
    if (!c->children || !PyList_Check(c->children)) {
        Ref list = Ref::checked(PyList_New(0));
        setRef(c->children, list);
    }
    return c->children;
}

// A copy of the child list: children may change while they are being visited.
Ref childSnapshot(PyObject* self) { return snapshot(childrenOf(self)); }

void appendChild(PyObject* self, PyObject* child) {
    check(PyList_Append(childrenOf(self), child));
    setParentWidget(child, self);
}

void containerSetRenderer(PyObject* self, PyObject* renderer) {
    widgetSetRenderer(self, renderer);
    Ref children = childSnapshot(self);
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) {
        PyObject* child = widgetItem(children, i);
        setRendererOf(child, renderer);
    }
}

namespace {

template <class F>
void forEachChild(PyObject* self, F f) {
    Ref children = childSnapshot(self);
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) f(widgetItem(children, i));
}

// The children from last to first until one consumes the event.
template <class F>
bool offerToChildren(PyObject* self, F offer) {
    Ref children = childSnapshot(self);
    for (Py_ssize_t i = PyList_GET_SIZE(children.get()) - 1; i >= 0; --i)
        if (offer(widgetItem(children, i))) return true;
    return false;
}

}  // namespace

void containerCalculateMinSize(PyObject* self) {
    forEachChild(self, [](PyObject* child) { calculateMinSizeOf(child); });
    widgetCalculateMinSize(self);
}

void containerCalculateMaxSize(PyObject* self) {
    widgetCalculateMaxSize(self);
    ContainerObject* c = asContainer(self);
    c->clientWidth = c->width;
    c->clientHeight = c->height;
    forEachChild(self, [](PyObject* child) { calculateMaxSizeOf(child); });
}

void containerCalculatePos(PyObject* self) {
    forEachChild(self, [](PyObject* child) { calculatePosOf(child); });
}

void containerRender(PyObject* self, ClipRect clip) {
    if (!asWidget(self)->isVisible) return;
    widgetRender(self, clip);
    forEachChild(self, [&](PyObject* child) { renderWidget(child, clip); });
}

void containerUpdate(PyObject* self, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed) {
    widgetUpdate(self, mouseX, mouseY, isMouseLeftPressed);
    forEachChild(self, [&](PyObject* child) { updateWidget(child, mouseX, mouseY, isMouseLeftPressed); });
}

bool containerOnClick(PyObject* self, PyObject* evt) {
    return offerToChildren(self, [&](PyObject* child) { return clickWidget(child, evt); });
}

bool containerOnScroll(PyObject* self, PyObject* evt) {
    return offerToChildren(self, [&](PyObject* child) { return scrollWidget(child, evt); });
}

}  // namespace ui

using namespace ui;

const WidgetOps containerOps = {&AbstractUIContainerType, containerSetRenderer, containerCalculateMinSize,
                                containerCalculateMaxSize, containerCalculatePos, containerRender,
                                containerUpdate,           containerOnClick,     containerOnScroll,
                                widgetOnDragStart,         widgetOnDrag,         widgetOnDragEnd};

namespace {

int AbstractUIContainer_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("AbstractUIContainer", 0);
        (void)a;
        asWidget(self)->isEnabled = true;
        childrenOf(self);
        return 0;
    });
}

PyObject* AbstractUIContainer_getChildren(PyObject* self, PyObject*) {
    return guard([&] { return Py_NewRef(childrenOf(self)); });
}

PyObject* AbstractUIContainer_removeChild(PyObject* self, PyObject* child) {
    return guard([&] {
        PyObject* children = childrenOf(self);
        removeIfContained(children, child);
        return none();
    });
}

PyObject* AbstractUIContainer_removeAllChildren(PyObject* self, PyObject*) {
    return guard([&] {
        PyObject* children = childrenOf(self);
        check(PyList_SetSlice(children, 0, PyList_GET_SIZE(children), nullptr));
        return none();
    });
}

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("getChildren", AbstractUIContainer_getChildren,
                     "This method returns a list of the child UIWidget elements of the container"),
    BV_METHOD_ARG("removeChild", AbstractUIContainer_removeChild, "child",
              "Removes the child if it is in the container."),
    BV_METHOD_NOARGS("removeAllChildren", AbstractUIContainer_removeAllChildren, "Removes every child."),
    BV_METHOD("render", renderMethod<containerRender>, "Renders the child widgets"),
    BV_METHOD("update", updateMethod<containerUpdate>, "Updates the child widgets"),
    BV_METHOD("_onClick", (eventMethod<containerOnClick, "_onClick">), nullptr),
    BV_METHOD("_onScroll", (eventMethod<containerOnScroll, "_onScroll">), nullptr),
    BV_METHODS_END,
};

ClassRegistration reg("AbstractUIContainer", [] {
    ClassSpec spec = specFor<ContainerObject>("AbstractUIContainer", UIWidgetType);
    spec.doc = "The base class of widgets that hold child widgets.";
    spec.methods = methods;
    spec.init = AbstractUIContainer_init;
    return AbstractUIContainerType = createType(spec);
});

}  // namespace

}  // namespace bv
