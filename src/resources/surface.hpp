// The texture pixel format and the surface helpers exported from the module with C linkage, so
// that native code outside the module can create surfaces in the same format.
#pragma once
#include <SDL.h>

#define BV_EXPORT __attribute__((visibility("default")))

extern "C" {

// SDL_PIXELFORMAT_ARGB8888: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
BV_EXPORT extern const SDL_PixelFormat TexturePixelFormat;

// A new surface in the texture format, every pixel 0; null on failure.
BV_EXPORT SDL_Surface* createSurface(int width, int height);
// A new surface in the texture format with the pixels of `img` (left untouched); null on failure.
BV_EXPORT SDL_Surface* convertSurface(SDL_Surface* img);
// Decodes an image file into a new surface in the texture format; null on failure.
BV_EXPORT SDL_Surface* loadSurfaceFromFile(const char* filepath);

}
