// Music: one streamed track on the mixer's single music stream.
#pragma once
#include "resources/texture.hpp"

#include <SDL_mixer.h>

namespace bv {

struct MusicObject : ResourceObject {
    Mix_Music* music;  // owned; freed on destruction

    void destroy();
};

extern PyTypeObject* MusicType;

}  // namespace bv
