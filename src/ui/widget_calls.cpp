// The native-or-Python calls of widget operations, and their bound lookups.
#include "ui/widget_calls.hpp"

#include "ui/widget_base.hpp"

namespace bv::ui {

namespace {

// True when type(self) finds the same `name` as the native class whose operations the object uses.
bool usesNative(PyObject* self, PyObject* name) {
    PyTypeObject* type = Py_TYPE(self);
    PyTypeObject* native = *asWidget(self)->ops->type;
    return type == native || _PyType_Lookup(type, name) == _PyType_Lookup(native, name);
}

PyObject* name(const char* s) { return intern(s); }

Ref pyInt(int64_t v) { return Ref::checked(PyLong_FromLongLong(v)); }

Overridable isInsideMethod("isInside"), setParentMethod("_setParent");

// Counts one level of descent into a widget tree against the interpreter's recursion limit.
class Descent {
public:
    Descent() {
        if (Py_EnterRecursiveCall(" while walking a widget tree")) throwPy();
    }
    ~Descent() { Py_LeaveRecursiveCall(); }
    Descent(const Descent&) = delete;
    Descent& operator=(const Descent&) = delete;
};

}  // namespace

void setRendererOf(PyObject* w, PyObject* renderer) {
    Descent d;
    asWidget(w)->ops->setRenderer(w, renderer);
}

void calculateMinSizeOf(PyObject* w) {
    Descent d;
    asWidget(w)->ops->calculateMinSize(w);
}

void calculateMaxSizeOf(PyObject* w) {
    Descent d;
    asWidget(w)->ops->calculateMaxSize(w);
}

void calculatePosOf(PyObject* w) {
    Descent d;
    asWidget(w)->ops->calculatePos(w);
}

void bindWidgetMethods(PyTypeObject* widgetType) {
    isInsideMethod.bind(widgetType);
    setParentMethod.bind(widgetType);
}

PyObject* widgetItem(PyObject* list, Py_ssize_t index) {
    PyObject* item = PyList_GET_ITEM(list, index);
    if (!PyObject_TypeCheck(item, UIWidgetType)) {
        PyErr_Format(PyExc_TypeError, "a widget container holds a %.200s instead of a brovaline.UIWidget",
                     Py_TYPE(item)->tp_name);
        throwPy();
    }
    return item;
}

void renderWidget(PyObject* w, ClipRect clip) {
    Descent d;
    static PyObject* n = name("render");
    if (usesNative(w, n)) return asWidget(w)->ops->render(w, clip);
    Ref x = pyInt(clip.x), y = pyInt(clip.y), cw = pyInt(clip.w), ch = pyInt(clip.h);
    callMethod(n, w, x.get(), y.get(), cw.get(), ch.get());
}

void updateWidget(PyObject* w, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed) {
    Descent d;
    static PyObject* n = name("update");
    if (usesNative(w, n)) return asWidget(w)->ops->update(w, mouseX, mouseY, isMouseLeftPressed);
    Ref x = pyInt(mouseX), y = pyInt(mouseY);
    callMethod(n, w, x.get(), y.get(), isMouseLeftPressed ? Py_True : Py_False);
}

bool clickWidget(PyObject* w, PyObject* evt) {
    Descent d;
    static PyObject* n = name("_onClick");
    if (usesNative(w, n)) return asWidget(w)->ops->onClick(w, evt);
    return truth(callMethod(n, w, evt));
}

bool scrollWidget(PyObject* w, PyObject* evt) {
    Descent d;
    static PyObject* n = name("_onScroll");
    if (usesNative(w, n)) return asWidget(w)->ops->onScroll(w, evt);
    return truth(callMethod(n, w, evt));
}

void dragStartWidget(PyObject* w, int32_t mouseX, int32_t mouseY) {
    static PyObject* n = name("onDragStart");
    if (usesNative(w, n)) return asWidget(w)->ops->onDragStart(w, mouseX, mouseY);
    Ref x = pyInt(mouseX), y = pyInt(mouseY);
    callMethod(n, w, x.get(), y.get());
}

void dragWidget(PyObject* w, int32_t mouseX, int32_t mouseY, int64_t diffX, int64_t diffY) {
    static PyObject* n = name("onDrag");
    if (usesNative(w, n)) return asWidget(w)->ops->onDrag(w, mouseX, mouseY, diffX, diffY);
    Ref x = pyInt(mouseX), y = pyInt(mouseY), dx = pyInt(diffX), dy = pyInt(diffY);
    callMethod(n, w, x.get(), y.get(), dx.get(), dy.get());
}

void dragEndWidget(PyObject* w, int32_t mouseX, int32_t mouseY) {
    static PyObject* n = name("onDragEnd");
    if (usesNative(w, n)) return asWidget(w)->ops->onDragEnd(w, mouseX, mouseY);
    Ref x = pyInt(mouseX), y = pyInt(mouseY);
    callMethod(n, w, x.get(), y.get());
}

bool isInsideWidget(PyObject* w, int32_t mouseX, int32_t mouseY) {
    if (isInsideMethod.isNative(w)) {
        WidgetObject* o = asWidget(w);
        return pointInRect(mouseX, mouseY, o->x, o->y, o->width, o->height);
    }
    Ref x = pyInt(mouseX), y = pyInt(mouseY);
    return truth(isInsideMethod.call(w, x.get(), y.get()));
}

void setParentWidget(PyObject* w, PyObject* parent) {
    if (setParentMethod.isNative(w)) return widgetSetParent(w, parent);
    setParentMethod.call(w, parent);
}

}  // namespace bv::ui
