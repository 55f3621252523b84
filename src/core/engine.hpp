// The Engine object, shared with the subsystems that extend it (input, tasks, sound).
#pragma once
#include "common/overridable.hpp"

#include <SDL.h>

#include <atomic>

namespace bv {

struct EngineObject {
    PyObject_HEAD
    PyObject* weakrefs;
    int initialized;
    SDL_Window* window;
    SDL_Texture* renderTarget;
    SDL_Renderer* sdlRenderer;
    uint32_t lastFrameTimestamp;
    double fps;
    double timeStep;
    double fixedTimeStep;  // seconds per frame when set (> 0); 0: measured by the clock
    int32_t mouseDistX;
    int32_t mouseDistY;
    SDL_Rect windowBounds;
    int killWithEscapeKey;
    PyObject* ecs;

    void refs(auto&& f) { f(ecs); }
};

extern PyTypeObject* EngineType;

// Incremented by the mixer's music-finished callback; the frame loop turns it into events.
extern std::atomic<int> musicStoppedEvents;

// Engine methods that are found by lookup, so Python subclasses can override them.
namespace engine_methods {
extern Overridable ensureInit, update, getFps, isFullscreen, fireEvent, addTask, setWindowIcon;
}

// (target width / window width, target height / window height), or (1, 1) for an empty window.
std::pair<double, double> displayScaleFactor(EngineObject* self);

// A class-level attribute of Engine shared by all engines (borrowed; throws if missing).
PyObject* engineClassAttr(PyObject* name);

// Method tables contributed by other subsystems; each ends with a null entry.
extern PyMethodDef engineWindowMethods[];
extern PyMethodDef engineEventMethods[];
extern PyMethodDef engineInputMethods[];
extern PyMethodDef engineTaskMethods[];

// Drains SDL's event queue for one frame (defined by the input subsystem).
void engineUpdateInput(EngineObject* self);

}  // namespace bv
