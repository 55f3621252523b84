#include "render/blend_mode.hpp"

#include "common/registry.hpp"

namespace bv {

BlendMode toBlendMode(PyObject* value) {
    uint32_t v = toUInt32(value);
    if (v != BLEND_BLEND && v != BLEND_ADD) {
        PyErr_Format(PyExc_ValueError, "blend mode must be BLENDMODE_BLEND (0) or BLENDMODE_ADD (1), not %u", v);
        throwPy();
    }
    return BlendMode(v);
}

namespace {

StartupStep blendModeConstants(60, [](PyObject* module) {
    check(PyModule_AddIntConstant(module, "BLENDMODE_BLEND", BLEND_BLEND));
    check(PyModule_AddIntConstant(module, "BLENDMODE_ADD", BLEND_ADD));
});

}  // namespace

}  // namespace bv
