// Camera: position, direction, field of view and aspect ratio of the raycasting view.
#include "render/camera.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"
#include "geometry/vector2.hpp"

namespace bv {

PyTypeObject* CameraType;

namespace {

CameraObject* asCamera(PyObject* o) { return reinterpret_cast<CameraObject*>(o); }

int Camera_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Camera", 4, "pos", "dir", "fov", "pitch", "ratio");
        checkArg(a[0], Vector2Type, "pos", /*allowNone=*/false);
        checkArg(a[1], Vector2Type, "dir", /*allowNone=*/false);
        int32_t fov = toInt32(a[2]), pitch = toInt32(a[3]);
        double ratio = a[4] ? toDouble(a[4]) : 1.6;
        CameraObject* c = asCamera(self);
        setRef(c->pos, a[0]);
        setRef(c->dir, a[1]);
        c->fov = fov;
        c->pitch = pitch;
        c->ratio = ratio;
        return 0;
    });
}

PyGetSetDef props[] = {
    ro<&CameraObject::pos>("pos", "Eye position in cells (the vector itself)."),
    ro<&CameraObject::dir>("dir", "Viewing direction (the vector itself), normalised every frame."),
    rw<&CameraObject::fov>("fov", "Horizontal field of view in degrees."),
    rw<&CameraObject::pitch>("pitch", "Vertical offset of the horizon in pixels."),
    rw<&CameraObject::ratio>("ratio", "Wall height divisor."),
    rwTyped<&CameraObject::pos, &Vector2Type>("_pos"),
    rwTyped<&CameraObject::dir, &Vector2Type>("_dir"),
    rw<&CameraObject::fov>("_fov"),
    rw<&CameraObject::pitch>("_pitch"),
    rw<&CameraObject::ratio>("_ratio"),
    propsEnd(),
};

ClassRegistration reg("Camera", [] {
    ClassSpec spec = specFor<CameraObject>("Camera");
    spec.doc = "The position, direction, field of view and pitch a RaycastingRenderer draws from.";
    spec.getset = props;
    spec.init = Camera_init;
    return CameraType = createType(spec);
});

}  // namespace

Ref newDefaultCamera() {
    Ref pos = Ref::checked(newVector2(2.5, 2.5)), dir = Ref::checked(newVector2(0, 1));
    Ref fov = Ref::checked(PyLong_FromLong(60)), pitch = Ref::checked(PyLong_FromLong(20));
    return Ref::checked(PyObject_CallFunctionObjArgs(reinterpret_cast<PyObject*>(CameraType), pos.get(), dir.get(),
                                                     fov.get(), pitch.get(), nullptr));
}

}  // namespace bv
