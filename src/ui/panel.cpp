// UIPanel: a list container drawn with the theme's panel nine-patch.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/widget_base.hpp"

namespace bv {

PyTypeObject* UIPanelType;

namespace {

using namespace ui;

void panelRender(PyObject* self, ClipRect clip) {
    WidgetObject* w = asWidget(self);
    if (!w->isVisible) return;
    ClipRect r = clippedRect(self, clip);
    if (r.w <= 0 || r.h <= 0) return;
    TargetClip targetClip(self, r);
    Ref spec = widgetSpec(self, {"panel"});
    drawNinePatchSpec(self, spec, {w->x, w->y, w->width, w->height});
    containerRender(self, clip);
}

bool panelOnClick(PyObject* self, PyObject* evt) {
    return containerOnClick(self, evt) || widgetOnClick(self, evt);
}

}  // namespace

const WidgetOps panelOps = {&UIPanelType,         containerSetRenderer, listCalculateMinSize, listCalculateMaxSize,
                            listCalculatePos,     panelRender,          containerUpdate,      panelOnClick,
                            containerOnScroll,    widgetOnDragStart,    widgetOnDrag,         widgetOnDragEnd};

namespace {

int UIPanel_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIPanel", 0);
        (void)a;
        auto* p = reinterpret_cast<PanelObject*>(self);
        p->isEnabled = true;
        childrenOf(self);
        p->paddingLeft = p->paddingTop = p->paddingRight = p->paddingBottom = 8;
        return 0;
    });
}

PyMethodDef methods[] = {
    BV_METHOD("render", renderMethod<panelRender>, "Renders the panel and its children"),
    BV_METHOD("_onClick", (eventMethod<panelOnClick, "_onClick">), nullptr),
    BV_METHODS_END,
};

ClassRegistration reg("UIPanel", [] {
    ClassSpec spec = specFor<PanelObject>("UIPanel", UIListContainerType);
    spec.doc = "A list container drawn as a panel of the theme.";
    spec.methods = methods;
    spec.init = UIPanel_init;
    return UIPanelType = createType(spec);
});

}  // namespace

}  // namespace bv
