// The texture pixel format and the exported surface helpers (create, convert, load).
#include "resources/surface.hpp"

#include <SDL_image.h>

extern "C" {

const SDL_PixelFormat TexturePixelFormat = {
    .format = SDL_PIXELFORMAT_ARGB8888,
    .palette = nullptr,
    .BitsPerPixel = 32,
    .BytesPerPixel = 4,
    .padding = {0, 0},
    .Rmask = 0x00FF0000,
    .Gmask = 0x0000FF00,
    .Bmask = 0x000000FF,
    .Amask = 0xFF000000,
    .Rloss = 0,
    .Gloss = 0,
    .Bloss = 0,
    .Aloss = 0,
    .Rshift = 16,
    .Gshift = 8,
    .Bshift = 0,
    .Ashift = 24,
    .refcount = 1,
    .next = nullptr,
};

SDL_Surface* createSurface(int width, int height) {
    return SDL_CreateRGBSurface(0, width, height, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
}

SDL_Surface* convertSurface(SDL_Surface* img) { return img ? SDL_ConvertSurface(img, &TexturePixelFormat, 0) : nullptr; }

SDL_Surface* loadSurfaceFromFile(const char* filepath) {
    SDL_Surface* decoded = filepath ? IMG_Load(filepath) : nullptr;
    if (!decoded) return nullptr;
    SDL_Surface* converted = convertSurface(decoded);
    SDL_FreeSurface(decoded);
    return converted;
}

}
