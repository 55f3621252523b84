// Renderer: the system base class that owns a target texture.
#include "render/renderer.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"
#include "resources/texture.hpp"

namespace bv {

PyTypeObject* RendererType;

namespace {

RendererObject* asRenderer(PyObject* o) { return reinterpret_cast<RendererObject*>(o); }

// Renderer(target, *interestedComponentTypes): `target` may also be given by keyword.
int Renderer_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        Py_ssize_t n = PyTuple_GET_SIZE(args);
        PyObject* target = n > 0 ? PyTuple_GET_ITEM(args, 0) : nullptr;
        Py_ssize_t pos = 0;
        PyObject *key, *value;
        while (kwargs && PyDict_Next(kwargs, &pos, &key, &value)) {
            if (PyUnicode_CompareWithASCIIString(key, "target") != 0) {
                PyErr_Format(PyExc_TypeError, "Renderer() got an unexpected keyword argument '%U'", key);
                throwPy();
            }
            if (target) {
                PyErr_SetString(PyExc_TypeError, "Renderer() got multiple values for argument 'target'");
                throwPy();
            }
            target = value;
        }
        if (!target) {
            PyErr_SetString(PyExc_TypeError, "Renderer() missing required argument 'target'");
            throwPy();
        }
        checkArg(target, TextureType, "target");
        Ref types = Ref::checked(PyTuple_GetSlice(args, 1, n));
        systemInit(asRenderer(self), types);
        setRef(asRenderer(self)->target, target);
        return 0;
    });
}

PyObject* Renderer_getTarget(PyObject* self, PyObject*) { return newRefOrNone(asRenderer(self)->target); }

PyObject* Renderer_update(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("update", 1, "timeStep");
        systemUpdate(self, a[0]);
        return callMethod(intern("render"), self).release();
    });
}

PyObject* Renderer_render(PyObject*, PyObject*) { return none(); }

PyMethodDef methods[] = {
    BV_METHOD_NOARGS("getTarget", Renderer_getTarget, "The texture every frame is drawn into."),
    BV_METHOD("update", Renderer_update, "Updates the member entities, then renders."),
    BV_METHOD_NOARGS("render", Renderer_render, "Should be overwritten by deriving classes."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    rwTyped<&RendererObject::target, &TextureType>("_target"),
    propsEnd(),
};

ClassRegistration reg("Renderer", [] {
    ClassSpec spec = specFor<RendererObject>("Renderer", AbstractSystemType);
    spec.doc = "This is the abstract base class for all brovaline renderers.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = Renderer_init;
    return RendererType = createType(spec);
});

}  // namespace

}  // namespace bv
