#include "render/renderer.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"
#include "resources/texture.hpp"

namespace bv {

PyTypeObject* RendererType;

namespace {

RendererObject* asRenderer(PyObject* o) { return reinterpret_cast<RendererObject*>(o); }

int Renderer_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        if (kwargs && PyDict_GET_SIZE(kwargs)) {
            PyErr_SetString(PyExc_TypeError, "Renderer() takes no keyword arguments");
            throwPy();
        }
        Py_ssize_t n = PyTuple_GET_SIZE(args);
        if (n < 1) {
            PyErr_SetString(PyExc_TypeError, "Renderer() takes at least 1 positional argument (0 given)");
            throwPy();
        }
        PyObject* target = PyTuple_GET_ITEM(args, 0);
        checkArg(target, TextureType, "target");
        Ref types = Ref::checked(PyTuple_GetSlice(args, 1, n));
        systemInit(asRenderer(self), types);
        setRef(asRenderer(self)->target, target);
        return 0;
    });
}

PyObject* Renderer_getTarget(PyObject* self, PyObject*) { return newRefOrNone(asRenderer(self)->target); }

PyObject* Renderer_update(PyObject* self, PyObject* timeStep) {
    return guard([&] {
        systemUpdate(self, timeStep);
        return callMethod(intern("render"), self).release();
    });
}

PyObject* Renderer_render(PyObject*, PyObject*) { return none(); }

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("getTarget", Renderer_getTarget, "The texture every frame is drawn into."),
    BV_METHOD_O("update", Renderer_update, "Updates the member entities, then renders."),
    BV_METHOD_NOARGS("render", Renderer_render, "Should be overwritten by deriving classes."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    rwTyped<&RendererObject::target, &TextureType>("_target"),
    propsEnd(),
};

ClassRegistration reg("Renderer", [] {
    ClassSpec spec = specFor<RendererObject>("Renderer", AbstractSystemType);
    spec.doc = "The abstract base class for all brovaline renderers.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Renderer_init;
    return RendererType = createType(spec);
});

}  // namespace

}  // namespace bv
