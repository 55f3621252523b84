// Resource (the base of every loadable asset) and Texture (a 32-bit ARGB pixel surface).
#pragma once
#include "common/py.hpp"
#include "render/pixels.core.hpp"

#include <SDL.h>

#include <memory>

namespace bv {

// An owned SDL surface.
struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// The pixels of a surface as 32-bit words, or an empty view when there is no surface or its pixels
// are not directly addressable 32-bit words (another depth, or a surface that must be locked).
PixelView surfacePixels(const SDL_Surface* s);

struct ResourceObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* filename;

    void refs(auto&& f) { f(filename); }
};

struct TextureObject : ResourceObject {
    SDL_Surface* surface;  // always in the texture pixel format; owned; null only before __init__
    Py_ssize_t viewShape[2], viewStrides[2];  // layout of the buffer views, constant once filled

    void destroy() {
        if (surface) SDL_FreeSurface(surface);
        surface = nullptr;
    }
};

extern PyTypeObject* ResourceType;
extern PyTypeObject* TextureType;

// The surface of a texture. Raises RuntimeError when the texture was never initialised.
SDL_Surface* surfaceOf(TextureObject* texture);
// Same for any object: TypeError naming `argName` unless it is a Texture (None is refused too).
SDL_Surface* surfaceOf(PyObject* texture, const char* argName);

// A checked view of a texture's pixels (RuntimeError for an uninitialised texture, or one whose
// pixels surfacePixels cannot address). The pointer
// is valid while the texture lives: keep a reference to the texture for as long as the view.
PixelView pixelsOf(TextureObject* texture);
inline PixelView pixelsOf(PyObject* texture, const char* argName) {
    surfaceOf(texture, argName);
    return pixelsOf(reinterpret_cast<TextureObject*>(texture));
}

// The buffer slot: a writable view of the pixels as unsigned 32-bit words, shape (height, width).
int textureGetBuffer(PyObject* self, Py_buffer* view, int flags);

// A new Texture (file name "") that owns `surface`, converted to the texture format if it is
// in another one (the original is then freed). The surface is freed on failure too.
Ref textureFromSurface(SDL_Surface* surface);

}  // namespace bv
