// Resource (the base of every loadable asset) and Texture (a 32-bit ARGB pixel surface).
#pragma once
#include "common/py.hpp"

#include <SDL.h>

namespace bv {

struct ResourceObject {
    PyObject_HEAD
    PyObject* weakrefs;
    PyObject* filename;

    void refs(auto&& f) { f(filename); }
};

struct TextureObject : ResourceObject {
    SDL_Surface* surface;  // always in the texture pixel format; owned

    void destroy() {
        if (surface) SDL_FreeSurface(surface);
        surface = nullptr;
    }
};

extern PyTypeObject* ResourceType;
extern PyTypeObject* TextureType;

}  // namespace bv
