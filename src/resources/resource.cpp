// Resource: the base class of loadable assets, holding the file name.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "resources/texture.hpp"

namespace bv {

PyTypeObject* ResourceType;

namespace {

int Resource_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Resource", 1, "filename");
        setRef(reinterpret_cast<ResourceObject*>(self)->filename, a[0]);
        return 0;
    });
}

PyGetSetDef props[] = {
    ro<&ResourceObject::filename>("filename"),
    rw<&ResourceObject::filename>("_filename"),
    propsEnd(),
};

ClassRegistration reg("Resource", [] {
    ClassSpec spec = specFor<ResourceObject>("Resource");
    spec.doc = "Base of every loadable resource; holds the file name.";
    spec.getset = props;
    spec.init = Resource_init;
    return ResourceType = createType(spec);
});

}  // namespace

}  // namespace bv
