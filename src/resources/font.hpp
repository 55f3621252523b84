// Font: a TrueType font opened at one point size that renders UTF-8 text into new Textures.
#pragma once
#include "resources/texture.hpp"

#include <SDL_ttf.h>

namespace bv {

struct FontObject : ResourceObject {
    TTF_Font* font;  // owned; closed on destruction
    int32_t size;

    void destroy() {
        if (font) TTF_CloseFont(font);
        font = nullptr;
    }
};

extern PyTypeObject* FontType;

// The font's handle; raises EngineException when the font was never opened.
TTF_Font* fontHandle(FontObject* font);

// A colour from a sequence of 3 (r, g, b; opaque) or 4 (r, g, b, a) components in 0..255.
SDL_Color toColor(PyObject* color);

// One line of text as a new Texture; an empty line gives a texture of width 0 and the font's height.
Ref renderTextLine(FontObject* font, const char* utf8, SDL_Color color);

// The lines of a sequence of str stacked top to bottom, left-aligned, into a new Texture; an empty
// line takes `size` pixels.
Ref renderTextLines(FontObject* font, PyObject* lines, SDL_Color color);

}  // namespace bv
