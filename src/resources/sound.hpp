// Sound effects: samples played on free mixer channels, and handles to the channel of one play.
#pragma once
#include "resources/texture.hpp"

#include <SDL_mixer.h>

namespace bv {

struct SoundObject : ResourceObject {
    Mix_Chunk* chunk;  // owned; freed on destruction

    void destroy();
};

struct SoundHandleObject {
    PyObject_HEAD
    int32_t channel;  // negative: the play found no channel
};

extern PyTypeObject* SoundType;
extern PyTypeObject* SoundHandleType;

// The effect volume set last (0..128); Sound.play re-applies it to every channel.
extern int soundVolume;

}  // namespace bv
