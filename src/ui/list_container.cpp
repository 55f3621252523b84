// UIListContainer: children stacked in a row or a column inside an inner padding.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/widget_base.hpp"

#include <algorithm>

namespace bv {

PyTypeObject* UIListContainerType;

namespace ui {

namespace {

ListContainerObject* asList(PyObject* o) { return reinterpret_cast<ListContainerObject*>(o); }

}  // namespace

void listCalculateMinSize(PyObject* self) {
    Ref children = childSnapshot(self);
    int64_t maxW = 0, maxH = 0, sumW = 0, sumH = 0;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) {
        PyObject* child = widgetItem(children, i);
        calculateMinSizeOf(child);
    }
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) {
        WidgetObject* c = asWidget(widgetItem(children, i));
        int64_t outerW = int64_t(c->marginLeft) + c->width + c->marginRight;
        int64_t outerH = int64_t(c->marginTop) + c->height + c->marginBottom;
        maxW = std::max(maxW, outerW);
        maxH = std::max(maxH, outerH);
        sumW += outerW;
        sumH += outerH;
    }
    ListContainerObject* l = asList(self);
    bool horizontal = l->layout == LIST_LAYOUT_HORIZONTAL;
    if (l->sizePolicyX != SIZE_FIXED)
        l->width = int32_t(int64_t(l->paddingLeft) + l->paddingRight + (horizontal ? sumW : maxW));
    if (l->sizePolicyY != SIZE_FIXED)
        l->height = int32_t(int64_t(l->paddingTop) + l->paddingBottom + (horizontal ? maxH : sumH));
}

void listCalculateMaxSize(PyObject* self) {
    widgetCalculateMaxSize(self);
    ListContainerObject* l = asList(self);
    l->clientWidth = int32_t(int64_t(l->width) - l->paddingLeft - l->paddingRight);
    l->clientHeight = int32_t(int64_t(l->height) - l->paddingTop - l->paddingBottom);
    Ref children = childSnapshot(self);
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) {
        PyObject* child = widgetItem(children, i);
        calculateMaxSizeOf(child);
    }
}

void listCalculatePos(PyObject* self) {
    ListContainerObject* l = asList(self);
    const int64_t baseX = int64_t(l->x) + l->paddingLeft, baseY = int64_t(l->y) + l->paddingTop;
    int64_t offset = 0;
    Ref children = childSnapshot(self);
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) {
        WidgetObject* c = asWidget(widgetItem(children, i));
        if (l->layout == LIST_LAYOUT_HORIZONTAL) {
            c->x = int32_t(baseX + offset + c->marginLeft);
            if (c->valign == VALIGN_BOTTOM)
                c->y = int32_t(baseY + l->height - c->height - c->marginBottom);
            else if (c->valign == VALIGN_MIDDLE)
                c->y = int32_t(baseY + (int64_t(l->height) - c->height) / 2);
            else
                c->y = int32_t(baseY + c->marginTop);
            offset += int64_t(c->marginLeft) + c->width + c->marginRight;
        } else {
            if (c->align == ALIGN_RIGHT)
                c->x = int32_t(baseX + l->width - c->width - c->marginRight);
            else if (c->align == ALIGN_CENTER)
                c->x = int32_t(baseX + (int64_t(l->width) - c->width) / 2);
            else
                c->x = int32_t(baseX + c->marginLeft);
            c->y = int32_t(baseY + offset + c->marginTop);
            offset += int64_t(c->marginTop) + c->height + c->marginBottom;
        }
    }
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(children.get()); ++i) {
        PyObject* child = widgetItem(children, i);
        calculatePosOf(child);
    }
}

PyObject* listAddChild(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("addChild", 1, "child");
        checkArg(a[0], UIWidgetType, "child", false);
        appendChild(self, a[0]);
        return none();
    });
}

}  // namespace ui

using namespace ui;

const WidgetOps listContainerOps = {&UIListContainerType, containerSetRenderer, listCalculateMinSize,
                                    listCalculateMaxSize, listCalculatePos,     containerRender,
                                    containerUpdate,      containerOnClick,     containerOnScroll,
                                    widgetOnDragStart,    widgetOnDrag,         widgetOnDragEnd};

namespace {

int UIListContainer_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIListContainer", 0);
        (void)a;
        asWidget(self)->isEnabled = true;
        childrenOf(self);
        return 0;
    });
}

PyObject* UIListContainer_setPadding(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    return guard([&] {
        ListContainerObject* l = asList(self);
        assignSides("setPadding", args, nargs, l->paddingTop, l->paddingRight, l->paddingBottom, l->paddingLeft);
        return none();
    });
}

PyMethodDef methods[] = {
    BV_METHOD("addChild", listAddChild, "Appends a child widget."),
    {"setPadding", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(UIListContainer_setPadding)),
     METH_FASTCALL, "Sets the padding: 1 to 4 values in the order top, right, bottom, left."},
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    rw<&ListContainerObject::paddingLeft>("paddingLeft"),
    rw<&ListContainerObject::paddingTop>("paddingTop"),
    rw<&ListContainerObject::paddingRight>("paddingRight"),
    rw<&ListContainerObject::paddingBottom>("paddingBottom"),
    rw<&ListContainerObject::layout>("layout"),
    propsEnd(),
};

ClassRegistration reg("UIListContainer", [] {
    ClassSpec spec = specFor<ListContainerObject>("UIListContainer", AbstractUIContainerType);
    spec.doc = "A container that stacks its children in a row or a column.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIListContainer_init;
    return UIListContainerType = createType(spec);
});

}  // namespace

}  // namespace bv
