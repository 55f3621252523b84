// UIImage: a texture stretched over the widget's box with a global opacity.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "resources/texture.hpp"
#include "ui/constants.hpp"
#include "ui/widget_calls.hpp"
#include "ui/drawing.hpp"
#include "ui/widget_base.hpp"

namespace bv {

PyTypeObject* UIImageType;

namespace {

using namespace ui;

ImageObject* asImage(PyObject* o) { return reinterpret_cast<ImageObject*>(o); }

// The texture's width or height; an AttributeError for None.
int32_t textureSize(PyObject* texture, bool height) {
    if (texture == Py_None) {
        PyErr_Format(PyExc_AttributeError, "'NoneType' object has no attribute '%s'", height ? "height" : "width");
        throwPy();
    }
    SDL_Surface* s = surfaceOf(reinterpret_cast<TextureObject*>(texture));
    return height ? s->h : s->w;
}

void imageRender(PyObject* self, ClipRect clip) {
    ImageObject* img = asImage(self);
    if (!img->isVisible) return;
    ClipRect r = clippedRect(self, clip);
    if (r.w <= 0 || r.h <= 0) return;
    TargetClip targetClip(self, r);
    widgetRender(self, clip);
    if (!img->texture || img->texture == Py_None) return;
    // The opacity applies to this drawing only; the texture itself is left unchanged.
    drawTextureScaled(self, img->texture, {img->x, img->y, img->width, img->height}, uint32_t(img->alpha) & 0xFF);
}

}  // namespace

const WidgetOps imageOps = {&UIImageType,        widgetSetRenderer, widgetCalculateMinSize, widgetCalculateMaxSize,
                            widgetCalculatePos,  imageRender,       widgetUpdate,           widgetOnClick,
                            widgetOnScroll,      widgetOnDragStart, widgetOnDrag,           widgetOnDragEnd};

namespace {

int UIImage_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UIImage", 1, "texture", "width", "height");
        checkArg(a[0], TextureType, "texture");
        ImageObject* img = asImage(self);
        img->isEnabled = true;
        setRef(img->texture, a[0]);
        img->sizePolicyX = img->sizePolicyY = SIZE_FIXED;
        img->width = a[1] && a[1] != Py_None ? toInt32(a[1]) : textureSize(a[0], false);
        img->height = a[2] && a[2] != Py_None ? toInt32(a[2]) : textureSize(a[0], true);
        img->alpha = 255;
        return 0;
    });
}

PyObject* UIImage_textureGet(PyObject* self, void*) { return newRefOrNone(asImage(self)->texture); }

int UIImage_textureSet(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        checkArg(value, TextureType, "texture");
        ImageObject* img = asImage(self);
        setRef(img->texture, value);
        img->width = textureSize(value, false);
        img->height = textureSize(value, true);
        return 0;
    });
}

PyMethodDef methods[] = {
    BV_METHOD("render", renderMethod<imageRender>, "Renders the image"),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed<UIImage_textureSet>("texture", UIImage_textureGet, "The image; assigning one resets the size to it."),
    rw<&ImageObject::alpha>("alpha"),
    propsEnd(),
};

ClassRegistration reg("UIImage", [] {
    ClassSpec spec = specFor<ImageObject>("UIImage", UIWidgetType);
    spec.doc = "A texture drawn over the widget's box.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UIImage_init;
    return UIImageType = createType(spec);
});

}  // namespace

}  // namespace bv
