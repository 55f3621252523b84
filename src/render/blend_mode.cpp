// The blend-mode constants and the conversion of Python values to blend modes.
#include "render/blend_mode.hpp"

#include "common/registry.hpp"

namespace bv {

BlendMode toBlendMode(PyObject* value) { return BlendMode(toUInt32(value)); }

namespace {

StartupStep blendModeConstants(Startup::BlendModeConstants, [](PyObject* module) {
    check(PyModule_AddIntConstant(module, "BLENDMODE_BLEND", BLEND_BLEND));
    check(PyModule_AddIntConstant(module, "BLENDMODE_ADD", BLEND_ADD));
});

}  // namespace

}  // namespace bv
