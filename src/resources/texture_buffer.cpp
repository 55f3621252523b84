// Texture's buffer export: its pixels in place, as rows of unsigned 32-bit 0xAARRGGBB words.
// A surface is never replaced or resized, so a view stays valid while it holds the texture.
#include "resources/texture.hpp"

namespace bv {

namespace {

static_assert(sizeof(unsigned int) == sizeof(uint32_t), "the buffer format 'I' must be a 32-bit word");

// Stands in for the pixel pointer of an empty surface, which SDL may leave null.
uint32_t emptyPixels;

}  // namespace

int textureGetBuffer(PyObject* self, Py_buffer* view, int flags) {
    view->obj = nullptr;
    return guardInt([&] {
        auto* t = reinterpret_cast<TextureObject*>(self);
        PixelView px = pixelsOf(t);
        t->viewShape[0] = px.height;
        t->viewShape[1] = px.width;
        t->viewStrides[0] = Py_ssize_t(px.pitch) * Py_ssize_t(sizeof(uint32_t));
        t->viewStrides[1] = sizeof(uint32_t);

        view->buf = px.pixels ? px.pixels : &emptyPixels;
        view->len = Py_ssize_t(px.width) * px.height * Py_ssize_t(sizeof(uint32_t));
        view->itemsize = sizeof(uint32_t);
        view->readonly = 0;
        view->format = (flags & PyBUF_FORMAT) ? const_cast<char*>("I") : nullptr;
        view->ndim = 2;
        view->shape = t->viewShape;
        view->strides = t->viewStrides;
        view->suboffsets = nullptr;
        view->internal = nullptr;

        // A consumer that takes no strides reads the rows as one C-contiguous block.
        char order = 0;
        if ((flags & PyBUF_STRIDES) != PyBUF_STRIDES || (flags & PyBUF_C_CONTIGUOUS) == PyBUF_C_CONTIGUOUS)
            order = 'C';
        else if ((flags & PyBUF_F_CONTIGUOUS) == PyBUF_F_CONTIGUOUS)
            order = 'F';
        else if ((flags & PyBUF_ANY_CONTIGUOUS) == PyBUF_ANY_CONTIGUOUS)
            order = 'A';
        if (order && !PyBuffer_IsContiguous(view, order)) {
            PyErr_Format(PyExc_BufferError, "Texture pixels are not %s-contiguous (row pitch %zd bytes, width %d)",
                         order == 'A' ? "C- or F" : order == 'C' ? "C" : "F", t->viewStrides[0], px.width);
            throwPy();
        }
        if (!(flags & PyBUF_ND)) {
            // A plain byte buffer: the consumer reads `len` bytes from `buf`.
            view->ndim = 1;
            view->shape = nullptr;
            view->strides = nullptr;
        } else if ((flags & PyBUF_STRIDES) != PyBUF_STRIDES) {
            view->strides = nullptr;
        }
        view->obj = Py_NewRef(self);
        return 0;
    });
}

}  // namespace bv
