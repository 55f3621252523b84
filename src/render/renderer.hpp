// Renderer: a system that draws one frame into its target texture on every update.
#pragma once
#include "ecs/ecs.hpp"

namespace bv {

struct RendererObject : SystemObject {
    PyObject* target;  // Texture or None

    void refs(auto&& f) {
        SystemObject::refs(f);
        f(target);
    }
};

extern PyTypeObject* RendererType;

}  // namespace bv
