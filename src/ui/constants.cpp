// The UI's module constants: alignment and size policies, then layouts, anchors and slider orientations.
#include "common/registry.hpp"
#include "ui/constants.hpp"

namespace bv {

namespace {

struct Constant {
    const char* name;
    long value;
};

void publish(PyObject* module, std::initializer_list<Constant> constants) {
    for (const Constant& c : constants) check(PyModule_AddIntConstant(module, c.name, c.value));
}

using namespace ui;

StartupStep alignmentAndSize(Startup::AlignmentAndSize, [](PyObject* module) {
    publish(module, {{"ALIGN_LEFT", ALIGN_LEFT}, {"ALIGN_RIGHT", ALIGN_RIGHT}, {"ALIGN_CENTER", ALIGN_CENTER},
                     {"VALIGN_TOP", VALIGN_TOP}, {"VALIGN_BOTTOM", VALIGN_BOTTOM}, {"VALIGN_MIDDLE", VALIGN_MIDDLE},
                     {"SIZE_AUTO", SIZE_AUTO}, {"SIZE_FIXED", SIZE_FIXED}, {"SIZE_GROW", SIZE_GROW}});
});

StartupStep layoutAnchorSlider(Startup::LayoutAnchorSlider, [](PyObject* module) {
    publish(module, {{"LIST_LAYOUT_HORIZONTAL", LIST_LAYOUT_HORIZONTAL}, {"LIST_LAYOUT_VERTICAL", LIST_LAYOUT_VERTICAL},
                     {"ANCHOR_LEFT", ANCHOR_LEFT}, {"ANCHOR_RIGHT", ANCHOR_RIGHT}, {"ANCHOR_TOP", ANCHOR_TOP},
                     {"ANCHOR_BOTTOM", ANCHOR_BOTTOM}, {"ANCHOR_CENTER", ANCHOR_CENTER},
                     {"SLIDER_ORIENTATION_HORIZONTAL", SLIDER_ORIENTATION_HORIZONTAL},
                     {"SLIDER_ORIENTATION_VERTICAL", SLIDER_ORIENTATION_VERTICAL}});
});

}  // namespace

}  // namespace bv
