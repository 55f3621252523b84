// Object structs of the UI classes and the per-class table of widget operations.
#pragma once
#include "render/renderer.hpp"

namespace bv {

namespace ui {
struct LayoutRecord;
void freeLayoutRecord(LayoutRecord* record);
}  // namespace ui

struct ClipRect {
    int32_t x, y, w, h;
};

// Operations a widget class implements. Every native widget class has one table; its object's
// `construct` stores it, so a Python subclass uses the table of its nearest native base. The
// operations that Python can see (render, update, ...) are only taken from the table when the
// object's type does not override them (see widget_calls.hpp).
struct WidgetOps {
    PyTypeObject** type;  // the native class these operations belong to
    void (*setRenderer)(PyObject* self, PyObject* renderer);
    void (*calculateMinSize)(PyObject* self);
    void (*calculateMaxSize)(PyObject* self);
    void (*calculatePos)(PyObject* self);
    void (*render)(PyObject* self, ClipRect clip);
    void (*update)(PyObject* self, int32_t mouseX, int32_t mouseY, bool isMouseLeftPressed);
    bool (*onClick)(PyObject* self, PyObject* evt);
    bool (*onScroll)(PyObject* self, PyObject* evt);
    void (*onDragStart)(PyObject* self, int32_t mouseX, int32_t mouseY);
    void (*onDrag)(PyObject* self, int32_t mouseX, int32_t mouseY, int64_t diffX, int64_t diffY);
    void (*onDragEnd)(PyObject* self, int32_t mouseX, int32_t mouseY);
};

extern const WidgetOps widgetOps, containerOps, listContainerOps, anchoredContainerOps, panelOps, textOps,
    buttonOps, imageOps, sliderOps, scrollPanelOps;

struct UIThemeObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* tileset;      // Texture or None
    PyObject* fonts;        // dict name -> Font
    PyObject* intColors;    // dict name -> int
    PyObject* tupleColors;  // dict name -> (r, g, b, a)
    PyObject* widgetSpecs;  // dict as parsed
    PyObject* fileText;     // repr of the file name as given (str), for error messages
    uint64_t serial;        // new at every (re)initialisation: names these fonts in layout records

    void refs(auto&& f) {
        f(fileText);
        f(tileset);
        f(fonts);
        f(intColors);
        f(tupleColors);
        f(widgetSpecs);
    }
};

struct UIRendererObject : RendererObject {
    PyObject* widget;  // root UIWidget
    PyObject* theme;   // UITheme or None
    bool fillBackground;
    ui::LayoutRecord* layoutRecord;  // what the last layout of the tree read and wrote, or null

    void refs(auto&& f) {
        RendererObject::refs(f);
        f(widget);
        f(theme);
    }
    void destroy() {
        ui::freeLayoutRecord(layoutRecord);
        layoutRecord = nullptr;
    }
};

struct WidgetObject {
    PyObject_HEAD
    PyObject* weakrefs;
    const WidgetOps* ops;
    PyObject* parent;    // AbstractUIContainer or None
    PyObject* renderer;  // UIRenderer or None
    int32_t sizePolicyX, sizePolicyY;
    int32_t width, height;
    int32_t x, y;
    int32_t align, valign;
    bool isHovered;
    PyObject* clickHandler;
    int32_t marginLeft, marginTop, marginRight, marginBottom;
    bool isVisible, isEnabled, beingDragged;
    int32_t dragStartX, dragStartY, dragPrevX, dragPrevY;
    PyObject* userData;

    void construct() {
        ops = &widgetOps;
        isVisible = true;
    }
    void refs(auto&& f) {
        f(parent);
        f(renderer);
        f(clickHandler);
        f(userData);
    }
};

struct ContainerObject : WidgetObject {
    PyObject* children;  // list of UIWidget
    int32_t clientWidth, clientHeight;

    void construct() {
        WidgetObject::construct();
        ops = &containerOps;
    }
    void refs(auto&& f) {
        WidgetObject::refs(f);
        f(children);
    }
};

struct ListContainerObject : ContainerObject {
    int32_t paddingLeft, paddingTop, paddingRight, paddingBottom;
    int32_t layout;

    void construct() {
        ContainerObject::construct();
        ops = &listContainerOps;
        layout = 1;  // LIST_LAYOUT_VERTICAL
    }
};

struct AnchorWrapperObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* wrapped;
    int32_t x, y, anchorTypeX, anchorTypeY;

    void refs(auto&& f) { f(wrapped); }
};

struct AnchoredContainerObject : ContainerObject {
    PyObject* wrappedChildren;  // list of _UIAnchorWrapper, in the order of the children

    void construct() {
        ContainerObject::construct();
        ops = &anchoredContainerOps;
    }
    void refs(auto&& f) {
        ContainerObject::refs(f);
        f(wrappedChildren);
    }
};

struct PanelObject : ListContainerObject {
    void construct() {
        ListContainerObject::construct();
        ops = &panelOps;
    }
};

struct TextObject : WidgetObject {
    PyObject* text;       // str or None
    PyObject* lines;      // list of str
    PyObject* textColor;  // colour sequence or None
    uint64_t serial;      // new whenever the lines change (0: lines from a str subclass): names them
    // The size of the lines as last measured, with the serials of the lines and of the theme
    // whose font measured them (0: nothing measured).
    uint64_t measuredSerial, measuredTheme;
    int64_t measuredWidth, measuredHeight;
    // The last drawing of the lines, with what it was drawn from: the lines (a list of str), the font
    // and the colour. Drawn again when any of them differs.
    PyObject* drawnTexture;
    PyObject* drawnLines;
    PyObject* drawnFont;
    uint32_t drawnColor;

    void construct() {
        WidgetObject::construct();
        ops = &textOps;
    }
    void refs(auto&& f) {
        WidgetObject::refs(f);
        f(text);
        f(lines);
        f(textColor);
        f(drawnTexture);
        f(drawnLines);
        f(drawnFont);
    }
};

struct ButtonObject : ListContainerObject {
    PyObject* label;  // UIText

    void construct() {
        ListContainerObject::construct();
        ops = &buttonOps;
    }
    void refs(auto&& f) {
        ListContainerObject::refs(f);
        f(label);
    }
};

struct ImageObject : WidgetObject {
    PyObject* texture;  // Texture or None
    int32_t alpha;

    void construct() {
        WidgetObject::construct();
        ops = &imageOps;
        alpha = 255;
    }
    void refs(auto&& f) {
        WidgetObject::refs(f);
        f(texture);
    }
};

struct SliderObject : WidgetObject {
    int32_t orientation;
    int32_t value, minValue, maxValue;
    bool isHoveredMinus, isHoveredPlus, allowButtonDragging;

    void construct() {
        WidgetObject::construct();
        ops = &sliderOps;
        maxValue = 100;
    }
};

struct ScrollPanelObject : ContainerObject {
    int32_t scrollPosX, scrollPosY, maxScrollPosX, maxScrollPosY;
    int32_t paddingLeft, paddingTop, paddingRight, paddingBottom;
    int32_t wheelScrollPixels;
    PyObject* scrollBar;  // UISlider

    void construct() {
        ContainerObject::construct();
        ops = &scrollPanelOps;
        paddingLeft = paddingTop = paddingRight = paddingBottom = 10;
        wheelScrollPixels = 50;
    }
    void refs(auto&& f) {
        ContainerObject::refs(f);
        f(scrollBar);
    }
};

extern PyTypeObject *UIThemeType, *UIRendererType, *UIWidgetType, *AbstractUIContainerType, *UIListContainerType,
    *UIAnchorWrapperType, *UIAnchoredContainerType, *UIPanelType, *UITextType, *UIButtonType, *UIImageType,
    *UISliderType, *UIScrollPanelType, *ButtonClickEventType, *SliderValueChangedEventType;

inline WidgetObject* asWidget(PyObject* o) { return reinterpret_cast<WidgetObject*>(o); }
inline ContainerObject* asContainer(PyObject* o) { return reinterpret_cast<ContainerObject*>(o); }

}  // namespace bv
