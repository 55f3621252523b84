// UISlider: an integer value in a range, shown as a track with step buttons and a draggable thumb.
#include "ui/slider.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/widget_base.hpp"

#include <algorithm>
#include <cmath>

namespace bv {

PyTypeObject* UISliderType;

namespace ui {

namespace {

SliderObject* asSlider(PyObject* o) { return reinterpret_cast<SliderObject*>(o); }

bool vertical(PyObject* self) { return asSlider(self)->orientation == SLIDER_ORIENTATION_VERTICAL; }

// spec["slider"][piece]["normal"|"hover"][key]
int32_t pieceInt(PyObject* self, const char* piece, const char* key, const char* state = "normal") {
    Ref spec = widgetSpec(self, {"slider", piece, state});
    return specInt(spec, key);
}

// The geometry along the slider's axis: the step buttons' and the thumb's lengths along it, the
// slider's start and length.
struct Axis {
    int64_t minus, plus, thumb, start, length;
    int64_t track() const { return length - minus - plus - thumb; }
};

Axis axisOf(PyObject* self) {
    SliderObject* s = asSlider(self);
    if (vertical(self))
        return {pieceInt(self, "topButton", "height"), pieceInt(self, "bottomButton", "height"),
                pieceInt(self, "verticalButton", "height"), s->y, s->height};
    return {pieceInt(self, "leftButton", "width"), pieceInt(self, "rightButton", "width"),
            pieceInt(self, "horizontalButton", "width"), s->x, s->width};
}

float getPercent(PyObject* self) {
    SliderObject* s = asSlider(self);
    int64_t range = int64_t(s->maxValue) - s->minValue;
    // An empty range (a scroll bar whose content fits) is an ordinary state: the thumb rests at the start.
    if (range == 0) return 0.0f;
    return float(int64_t(s->value) - s->minValue) / float(range);
}

void setPercent(PyObject* self, float p) {
    if (std::isnan(p)) {
        PyErr_SetString(PyExc_ValueError, "percent must be a number");
        throwPy();
    }
    SliderObject* s = asSlider(self);
    double offset = std::trunc(double(p * float(int64_t(s->maxValue) - s->minValue)));
    offset = std::fmax(std::fmin(offset, 1e12), -1e12);
    setSliderValue(self, s->minValue + int64_t(offset));
}

int64_t thumbStart(PyObject* self) {
    Axis a = axisOf(self);
    // Single precision like the percent itself: 29 % of 100 pixels is 29, not 28.
    return a.start + a.minus + int64_t(std::trunc(float(a.track()) * getPercent(self)));
}

void sliderCalculateMinSize(PyObject* self) {
    SliderObject* s = asSlider(self);
    if (vertical(self)) {
        Ref background = widgetSpec(self, {"slider", "verticalBackground"});
        if (s->sizePolicyX != SIZE_FIXED) s->width = specInt(background, "width");
        if (s->sizePolicyY != SIZE_FIXED)
            s->height = int32_t(int64_t(specInt(background, "top")) + specInt(background, "bottom") +
                                2 * int64_t(pieceInt(self, "verticalButton", "height")) +
                                pieceInt(self, "topButton", "height") + pieceInt(self, "bottomButton", "height"));
    } else {
        Ref background = widgetSpec(self, {"slider", "horizontalBackground"});
        if (s->sizePolicyX != SIZE_FIXED)
            s->width = int32_t(int64_t(specInt(background, "left")) + specInt(background, "right") +
                               2 * int64_t(pieceInt(self, "horizontalButton", "width")) +
                               pieceInt(self, "leftButton", "width") + pieceInt(self, "rightButton", "width"));
        if (s->sizePolicyY != SIZE_FIXED) s->height = specInt(background, "height");
    }
}

void sliderUpdate(PyObject* self, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed) {
    widgetUpdate(self, mouseX, mouseY, isMouseLeftPressed);
    SliderObject* s = asSlider(self);
    if (vertical(self)) {
        int64_t topW = pieceInt(self, "topButton", "width"), topH = pieceInt(self, "topButton", "height");
        int64_t bottomW = pieceInt(self, "bottomButton", "width"), bottomH = pieceInt(self, "bottomButton", "height");
        s->isHoveredMinus = pointInRect(mouseX, mouseY, s->x, s->y, topW, topH);
        s->isHoveredPlus = pointInRect(mouseX, mouseY, s->x, int64_t(s->y) + s->height - bottomH, bottomW, bottomH);
    } else {
        int64_t leftW = pieceInt(self, "leftButton", "width"), leftH = pieceInt(self, "leftButton", "height");
        int64_t rightW = pieceInt(self, "rightButton", "width"), rightH = pieceInt(self, "rightButton", "height");
        s->isHoveredMinus = pointInRect(mouseX, mouseY, s->x, s->y, leftW, leftH);
        s->isHoveredPlus = pointInRect(mouseX, mouseY, int64_t(s->x) + s->width - rightW, s->y, rightW, rightH);
    }
}

bool sliderOnClick(PyObject* self, PyObject* evt) {
    if (!widgetOnClick(self, evt)) return false;
    SliderObject* s = asSlider(self);
    if (s->isHoveredPlus) setSliderValue(self, int64_t(s->value) + 10);
    if (s->isHoveredMinus) setSliderValue(self, int64_t(s->value) - 10);
    return true;
}

void sliderOnDragStart(PyObject* self, int32_t mouseX, int32_t mouseY) {
    SliderObject* s = asSlider(self);
    Axis a = axisOf(self);
    int64_t thumb = thumbStart(self);
    s->allowButtonDragging = vertical(self) ? pointInRect(mouseX, mouseY, s->x, thumb, s->width, a.thumb)
                                            : pointInRect(mouseX, mouseY, thumb, s->y, a.thumb, s->height);
}

void sliderOnDrag(PyObject* self, int32_t mouseX, int32_t mouseY, int64_t, int64_t) {
    if (!asSlider(self)->allowButtonDragging) return;
    Axis a = axisOf(self);
    if (a.track() == 0) {
        PyErr_SetString(PyExc_ZeroDivisionError, "the slider's track has length 0");
        throwPy();
    }
    double pointer = vertical(self) ? mouseY : mouseX;
    double p = (pointer - double(a.start) - double(a.minus) - double(a.thumb) / 2.0) / double(a.track());
    setPercent(self, float(p));
}

void sliderOnDragEnd(PyObject* self, int32_t, int32_t) { asSlider(self)->allowButtonDragging = false; }

void sliderRender(PyObject* self, ClipRect clip) {
    SliderObject* s = asSlider(self);
    if (!s->isVisible) return;
    ClipRect r = clippedRect(self, clip);
    if (r.w <= 0 || r.h <= 0) return;
    TargetClip targetClip(self, r);
    if (vertical(self)) {
        Ref track = widgetSpec(self, {"slider", "verticalBackground"});
        drawThreePatchVSpec(self, track, s->x, s->y, s->height);
        Ref minus = widgetSpec(self, {"slider", "topButton", s->isHoveredMinus ? "hover" : "normal"});
        drawPieceSpec(self, minus, s->x, s->y);
        Ref plus = widgetSpec(self, {"slider", "bottomButton", s->isHoveredPlus ? "hover" : "normal"});
        drawPieceSpec(self, plus, s->x, int64_t(s->y) + s->height - specInt(plus, "height"));
        Ref thumb = widgetSpec(self, {"slider", "verticalButton", "normal"});
        drawPieceSpec(self, thumb, s->x, thumbStart(self));
    } else {
        Ref track = widgetSpec(self, {"slider", "horizontalBackground"});
        drawThreePatchHSpec(self, track, s->x, s->y, s->width);
        Ref minus = widgetSpec(self, {"slider", "leftButton", s->isHoveredMinus ? "hover" : "normal"});
        drawPieceSpec(self, minus, s->x, s->y);
        Ref plus = widgetSpec(self, {"slider", "rightButton", s->isHoveredPlus ? "hover" : "normal"});
        drawPieceSpec(self, plus, int64_t(s->x) + s->width - specInt(plus, "width"), s->y);
        Ref thumb = widgetSpec(self, {"slider", "horizontalButton", "normal"});
        drawPieceSpec(self, thumb, thumbStart(self), s->y);
    }
}

}  // namespace

void setSliderValue(PyObject* self, int64_t value) {
    SliderObject* s = asSlider(self);
    int32_t old = s->value;
    s->value = value > s->maxValue ? s->maxValue : int32_t(std::max<int64_t>(value, s->minValue));
    if (s->value == old || !s->renderer || s->renderer == Py_None) return;
    Ref engine = Ref::borrow(orNone(reinterpret_cast<UIRendererObject*>(s->renderer)->engine));
    if (engine.get() == Py_None) return;
    Ref oldValue = Ref::checked(PyLong_FromLong(old)), newValue = Ref::checked(PyLong_FromLong(s->value));
    Ref evt = callObject(reinterpret_cast<PyObject*>(SliderValueChangedEventType), self, oldValue.get(), newValue.get());
    engine_methods::fireEvent.call(engine, evt.get());
}

}  // namespace ui

using namespace ui;

const WidgetOps sliderOps = {&UISliderType,  widgetSetRenderer, sliderCalculateMinSize, widgetCalculateMaxSize,
                             widgetCalculatePos, sliderRender,  sliderUpdate,           sliderOnClick,
                             widgetOnScroll, sliderOnDragStart, sliderOnDrag,           sliderOnDragEnd};

namespace {

int UISlider_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UISlider", 1, "value", "minValue", "maxValue", "orientation");
        SliderObject* s = reinterpret_cast<SliderObject*>(self);
        int32_t value = toInt32(a[0]);
        int32_t minValue = a[1] ? toInt32(a[1]) : 0, maxValue = a[2] ? toInt32(a[2]) : 100;
        int32_t orientation = a[3] ? toInt32(a[3]) : SLIDER_ORIENTATION_HORIZONTAL;
        s->isEnabled = true;
        s->value = value;
        s->minValue = minValue;
        s->maxValue = maxValue;
        s->orientation = orientation;
        s->isHoveredMinus = s->isHoveredPlus = s->allowButtonDragging = false;
        return 0;
    });
}

PyObject* UISlider_valueGet(PyObject* self, void*) { return PyLong_FromLong(reinterpret_cast<SliderObject*>(self)->value); }
int UISlider_valueSet(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        setSliderValue(self, toInt32(value));
        return 0;
    });
}

PyObject* UISlider_percentGet(PyObject* self, void*) {
    return guard([&] { return PyFloat_FromDouble(getPercent(self)); });
}
int UISlider_percentSet(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        setPercent(self, float(toDouble(value)));
        return 0;
    });
}

PyMethodDef methods[] = {
    BV_METHOD("render", renderMethod<sliderRender>, "Renders the slider"),
    BV_METHOD("update", updateMethod<sliderUpdate>, "Updates the hover state of the slider and its step buttons."),
    BV_METHOD("_onClick", (eventMethod<sliderOnClick, "_onClick">), nullptr),
    BV_METHOD("onDragStart", (dragEdgeMethod<sliderOnDragStart, "onDragStart">),
              "Starts dragging the thumb when it is under the pointer."),
    BV_METHOD("onDrag", dragMethod<sliderOnDrag>, "Moves the thumb's centre to the pointer."),
    BV_METHOD("onDragEnd", (dragEdgeMethod<sliderOnDragEnd, "onDragEnd">), "Ends dragging the thumb."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed<UISlider_valueSet>("value", UISlider_valueGet, "The value, kept within the range."),
    computed<UISlider_percentSet>("percent", UISlider_percentGet, "The value as a fraction of the range."),
    propsEnd(),
};

ClassRegistration reg("UISlider", [] {
    ClassSpec spec = specFor<SliderObject>("UISlider", UIWidgetType);
    spec.doc = "An integer value control with step buttons and a draggable thumb.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UISlider_init;
    return UISliderType = createType(spec);
});

}  // namespace

}  // namespace bv
