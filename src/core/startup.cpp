// Import-time start-up: host modules bound as globals, the docstring and the SDL libraries.
#include "common/registry.hpp"
#include "core/sdl_error.hpp"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

namespace bv {

namespace {

void importAs(PyObject* module, const char* name, const char* as) {
    Ref m = Ref::checked(PyImport_ImportModule(name));
    check(PyModule_AddObjectRef(module, as, m));
}

StartupStep hostModules(Startup::HostModules, [](PyObject* module) {
    Ref threading = Ref::checked(PyImport_ImportModule("threading"));
    Ref timer = Ref::checked(PyObject_GetAttrString(threading, "Timer"));
    check(PyModule_AddObjectRef(module, "Timer", timer));
    importAs(module, "time", "time");
});
StartupStep mathModule(Startup::MathModule, [](PyObject* module) { importAs(module, "math", "math"); });
StartupStep levelModules(Startup::LevelModules, [](PyObject* module) {
    importAs(module, "json", "_json");
    importAs(module, "traceback", "traceback");
    importAs(module, "os", "os");
    importAs(module, "os.path", "_ospath");
});
StartupStep sysModule(Startup::SysModule, [](PyObject* module) { importAs(module, "sys", "_sys"); });

StartupStep docstring(Startup::Docstring, [](PyObject* module) {
    Ref doc = Ref::checked(
        PyUnicode_FromString("\nBrovaline is a game engine with a raycasting renderer and some simple UI\ncapabilities.\n"));
    check(PyObject_SetAttrString(module, "__doc__", doc));
});

// The mixer's requested chunk format.
constexpr int kFrequency = 44100, kChannels = 2, kChunkSize = 2048;

StartupStep sdl(Startup::Sdl, [](PyObject*) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) < 0) throwSdlException("Could not initialize the engine.");
    int imgFlags = IMG_INIT_PNG;
    if (IMG_Init(imgFlags) != imgFlags) throwSdlException("Could not initialize the image loading subsystem.");
    if (Mix_OpenAudio(kFrequency, AUDIO_S16LSB, kChannels, kChunkSize) < 0)
        throwSdlException("Could not initialize sound subsystem.");
    if (TTF_Init() == -1) throwSdlException("Could not initialize font rendering subsystem.");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) throwSdlException("Could not initialize joystick subsystem.");
});

}  // namespace

}  // namespace bv
