// The base rules of widgets and containers, shared by the classes that refine them.
#pragma once
#include "ui/objects.hpp"

namespace bv::ui {

// Strict bounds on all four sides.
bool pointInRect(int64_t px, int64_t py, int64_t rx, int64_t ry, int64_t rw, int64_t rh);

// UIWidget
void widgetSetRenderer(PyObject* self, PyObject* renderer);
void widgetSetParent(PyObject* self, PyObject* parent);
void widgetCalculateMinSize(PyObject* self);
void widgetCalculateMaxSize(PyObject* self);
void widgetCalculatePos(PyObject* self);
void widgetRender(PyObject* self, ClipRect clip);  // raises when visible and not attached
void widgetUpdate(PyObject* self, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed);
bool widgetOnClick(PyObject* self, PyObject* evt);
bool widgetOnScroll(PyObject* self, PyObject* evt);
void widgetOnDragStart(PyObject* self, int32_t mouseX, int32_t mouseY);
void widgetOnDrag(PyObject* self, int32_t mouseX, int32_t mouseY, int64_t diffX, int64_t diffY);
void widgetOnDragEnd(PyObject* self, int32_t mouseX, int32_t mouseY);
// The widget's box when any clip value is negative, else its intersection with the clip.
ClipRect clippedRect(PyObject* self, ClipRect clip);
// Assigns 1 to 4 side values in the usual top/right/bottom/left shorthand; `what` names the
// method in the error ("setMargin").
void assignSides(const char* what, PyObject* const* args, Py_ssize_t nargs, int32_t& top, int32_t& right,
                 int32_t& bottom, int32_t& left);

// AbstractUIContainer
PyObject* childrenOf(PyObject* self);  // the live list, created on first use
Ref childSnapshot(PyObject* self);
void containerSetRenderer(PyObject* self, PyObject* renderer);
void containerCalculateMinSize(PyObject* self);
void containerCalculateMaxSize(PyObject* self);
void containerCalculatePos(PyObject* self);
void containerRender(PyObject* self, ClipRect clip);
void containerUpdate(PyObject* self, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed);
bool containerOnClick(PyObject* self, PyObject* evt);
bool containerOnScroll(PyObject* self, PyObject* evt);
// Appends a child and attaches it (child._setParent(self)).
void appendChild(PyObject* self, PyObject* child);

// UIListContainer
void listCalculateMinSize(PyObject* self);
void listCalculateMaxSize(PyObject* self);
void listCalculatePos(PyObject* self);
PyObject* listAddChild(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

}  // namespace bv::ui
