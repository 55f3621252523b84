// The module's audio state: effect and music volumes, and the music-finished notification.
#include "common/args.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "resources/sound.hpp"

#include <algorithm>

namespace bv {

namespace {

// Runs on the mixer's audio thread (or inside Mix_HaltMusic): only counts, never touches Python.
void SDLCALL onMusicStopped() { ++musicStoppedEvents; }

// The mixer ignores negative volumes and caps the others at its maximum; clamping here keeps the
// volume reported by the getters equal to the one in effect.
int clampVolume(PyObject* volume) { return std::clamp(toInt32(volume), 0, MIX_MAX_VOLUME); }

PyObject* getMusicVolume(PyObject*, PyObject*) { return PyLong_FromLong(Mix_VolumeMusic(-1)); }

PyObject* setMusicVolume(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("setMusicVolume", 1, "volume");
        Mix_VolumeMusic(clampVolume(a[0]));
        return none();
    });
}

PyObject* getSoundVolume(PyObject*, PyObject*) { return PyLong_FromLong(soundVolume); }

PyObject* setSoundVolume(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("setSoundVolume", 1, "volume");
        soundVolume = clampVolume(a[0]);
        Mix_Volume(-1, soundVolume);
        return none();
    });
}

PyMethodDef functions[] = {
    BV_METHOD_NOARGS("getMusicVolume", getMusicVolume, "The music volume (0..128)."),
    BV_METHOD("setMusicVolume", setMusicVolume, "Sets the music volume (0..128)."),
    BV_METHOD_NOARGS("getSoundVolume", getSoundVolume, "The volume last set for sound effects (0..128)."),
    BV_METHOD("setSoundVolume", setSoundVolume, "Sets the volume of every sound effect channel (0..128)."),
    BV_METHODS_END,
};

StartupStep soundState(Startup::SoundState, [](PyObject* module) {
    soundVolume = MIX_MAX_VOLUME;
    musicStoppedEvents = 0;
    Mix_HookMusicFinished(onMusicStopped);
    check(PyModule_AddFunctions(module, functions));
});

}  // namespace

}  // namespace bv
