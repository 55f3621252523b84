// Calling a widget's Python-visible operations from native code: the native implementation of the
// object's class when its type does not override the method, the Python method otherwise.
#pragma once
#include "common/args.hpp"
#include "common/overridable.hpp"
#include "common/one_arg.hpp"
#include "ui/objects.hpp"

namespace bv::ui {

// The internal passes, through the widget's table; a RecursionError instead of a crash when a
// widget tree contains itself.
void setRendererOf(PyObject* w, PyObject* renderer);
void calculateMinSizeOf(PyObject* w);
void calculateMaxSizeOf(PyObject* w);
void calculatePosOf(PyObject* w);

void renderWidget(PyObject* w, ClipRect clip);
void updateWidget(PyObject* w, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed);
bool clickWidget(PyObject* w, PyObject* evt);
bool scrollWidget(PyObject* w, PyObject* evt);
void dragStartWidget(PyObject* w, int32_t mouseX, int32_t mouseY);
void dragWidget(PyObject* w, int32_t mouseX, int32_t mouseY, int64_t diffX, int64_t diffY);
void dragEndWidget(PyObject* w, int32_t mouseX, int32_t mouseY);
bool isInsideWidget(PyObject* w, int32_t mouseX, int32_t mouseY);
void setParentWidget(PyObject* w, PyObject* parent);

// Binds the lookups of the methods defined on UIWidget; called once UIWidget exists.
void bindWidgetMethods(PyTypeObject* widgetType);

// The widget at `index` of a snapshot list; a TypeError for anything that is not a UIWidget.
PyObject* widgetItem(PyObject* list, Py_ssize_t index);

// Python method wrappers around a class's own implementation of an operation.
template <void (*F)(PyObject*, ClipRect)>
PyObject* renderMethod(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("render", 0, "clipX", "clipY", "clipWidth", "clipHeight");
        ClipRect clip{-1, -1, -1, -1};
        int32_t* fields[] = {&clip.x, &clip.y, &clip.w, &clip.h};
        for (int i = 0; i < 4; ++i)
            if (a[i]) *fields[i] = toInt32(a[i]);
        F(self, clip);
        return none();
    });
}

template <void (*F)(PyObject*, int32_t, int32_t, bool)>
PyObject* updateMethod(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("update", 3, "mouseX", "mouseY", "isMouseLeftPressed");
        F(self, toInt32(a[0]), toInt32(a[1]), truth(a[2]));
        return none();
    });
}

template <bool (*F)(PyObject*, PyObject*), Literal Name>
PyObject* eventMethod(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE(Name.text, 1, "evt");
        return boolean(F(self, a[0]));
    });
}

template <void (*F)(PyObject*, int32_t, int32_t), Literal Name>
PyObject* dragEdgeMethod(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE(Name.text, 2, "mouseX", "mouseY");
        F(self, toInt32(a[0]), toInt32(a[1]));
        return none();
    });
}

template <void (*F)(PyObject*, int32_t, int32_t, int64_t, int64_t)>
PyObject* dragMethod(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("onDrag", 4, "mouseX", "mouseY", "diffX", "diffY");
        F(self, toInt32(a[0]), toInt32(a[1]), toInt64(a[2]), toInt64(a[3]));
        return none();
    });
}

}  // namespace bv::ui
