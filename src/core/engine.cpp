// Engine: construction, init, the frame loop (update, run), quit, fps and the class-level state.
#include "core/engine.hpp"

#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/sdl_error.hpp"
#include "ecs/ecs.hpp"
#include "render/renderer.hpp"
#include "resources/texture.hpp"

#include <SDL_image.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace bv {

PyTypeObject* EngineType;
std::atomic<int> musicStoppedEvents{0};

namespace engine_methods {
Overridable ensureInit("_ensureInit"), update("update"), getFps("getFps"), isFullscreen("isFullscreen"),
    fireEvent("fireEvent"), addTask("addTask"), setWindowIcon("setWindowIcon");
}

namespace {

EngineObject* asEngine(PyObject* o) { return reinterpret_cast<EngineObject*>(o); }

int Engine_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Engine", 0);
        (void)a;
        EngineObject* e = asEngine(self);
        e->initialized = 0;
        e->mouseDistX = e->mouseDistY = 0;
        e->window = nullptr;
        Ref ecs = Ref::checked(PyObject_CallOneArg(reinterpret_cast<PyObject*>(EcsType), self));
        setRef(e->ecs, ecs);
        return 0;
    });
}

// The one-shot task that switches to desktop fullscreen during the first frame.
PyObject* fullscreenTask(PyObject* engine, PyObject* const*, Py_ssize_t) {
    return guard([&] {
        Ref r = callMethod(intern("_toggleFullscreen"), engine);
        return Py_NewRef(Py_True);
    });
}
PyMethodDef fullscreenTaskDef = {"_fullscreenTask", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fullscreenTask)),
                                 METH_FASTCALL, nullptr};

PyObject* Engine_initWindow(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("init", 2, "title", "size", "fullscreen", "show", "resizeable", "windowid", "icon", "captureMouse",
                 "audioChannels", "killWithEscapeKey");
        EngineObject* e = asEngine(self);
        Mix_AllocateChannels(a[8] ? toInt32(a[8]) : 32);
        e->killWithEscapeKey = a[9] ? truth(a[9]) : 1;
        auto [wObj, hObj] = unpackPair(a[1]);
        int w = toInt32(wObj), h = toInt32(hObj);
        Uint32 flags = 0;
        if (a[3] && !truth(a[3])) flags |= SDL_WINDOW_HIDDEN;
        if (a[4] && truth(a[4])) flags |= SDL_WINDOW_RESIZABLE;
        if (a[7] && truth(a[7])) {
            SDL_SetRelativeMouseMode(SDL_TRUE);
            flags |= SDL_WINDOW_INPUT_GRABBED;
        }
        int windowid = a[5] ? toInt32(a[5]) : -1;
        if (windowid == -1) {
            const char* title = toUtf8(a[0], "title");
            e->window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h, flags);
            if (!e->window) throwSdlException("Could not initialize the window.");
            if (a[6] && a[6] != Py_None) engine_methods::setWindowIcon.call(self, a[6]);
        }
        e->sdlRenderer = e->window ? SDL_CreateRenderer(e->window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
        if (!e->sdlRenderer) throwSdlException("Could not initialize the rendering subsystem");
        e->renderTarget = SDL_CreateTexture(e->sdlRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
        e->lastFrameTimestamp = SDL_GetTicks();
        e->fps = 0.0;
        e->timeStep = 0.0;
        if (a[2] && truth(a[2])) {
            Ref task = Ref::checked(PyCFunction_New(&fullscreenTaskDef, self));
            engine_methods::addTask.call(self, task.get());
        }
        e->initialized = 1;
        return none();
    });
}

PyObject* Engine_ensureInit(PyObject* self, PyObject*) {
    return guard([&] {
        if (!asEngine(self)->initialized)
            throwEngineException("The engine is not initialized, yet.Call init method first.");
        return none();
    });
}

PyObject* Engine_isRunning(PyObject* self, PyObject*) { return boolean(asEngine(self)->initialized == 1); }

void advanceClock(EngineObject* e) {
    Uint32 now = SDL_GetTicks();
    if (e->fixedTimeStep > 0) {
        // A fixed step ignores the clock; the timestamp still follows it, so that switching back to
        // measured steps measures from this frame.
        e->lastFrameTimestamp = now;
        e->fps = 1.0 / e->fixedTimeStep;
        e->timeStep = e->fixedTimeStep;
        return;
    }
    Uint32 diff = now - e->lastFrameTimestamp;
    if (diff == 0) return;
    e->lastFrameTimestamp = now;
    e->fps = 1000.0 / diff;
    e->timeStep = e->fps > 0 ? 1.0 / e->fps : 0.0;
}

void deliverMusicStopped(PyObject* self) {
    int pending = musicStoppedEvents.load();
    while (pending > 0 && !musicStoppedEvents.compare_exchange_weak(pending, pending - 1)) {
    }
    if (pending <= 0) return;
    PyObject* cls = moduleGlobal("MusicStoppedEvent");
    if (!cls) return;
    Ref evt = Ref::checked(PyObject_CallNoArgs(cls));
    engine_methods::fireEvent.call(self, evt.get());
}

void runTasks(EngineObject* e) {
    // Held: a task may rebind Engine._tasks while the list is walked.
    Ref tasks = Ref::borrow(engineClassAttr(intern("_tasks")));
    if (!PyList_Check(tasks.get())) {
        PyErr_SetString(PyExc_TypeError, "Engine._tasks must be a list");
        throwPy();
    }
    Ref done = Ref::checked(PyList_New(0));
    Ref step = Ref::checked(PyFloat_FromDouble(e->timeStep));
    // By position over the live list: tasks added during the loop run in this frame.
    auto removeFinished = [&] {
        // A finished task that already left the list (a task cleared it) needs no removal.
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(done.get()); ++i) {
            PyObject* pair = PyList_GET_ITEM(done.get(), i);
            if (check(PySequence_Contains(tasks, pair))) Ref r = callMethod(intern("remove"), tasks.get(), pair);
        }
    };
    try {
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(tasks.get()); ++i) {
            Ref pair = Ref::borrow(PyList_GET_ITEM(tasks.get(), i));
            auto [task, onDone] = unpackPair(pair);
            Ref result = callObject(task.get(), step.get(), onDone.get());
            if (truth(result)) check(PyList_Append(done, pair));
        }
    } catch (const PyError&) {
        // Tasks that finished before the failure are still removed, so they do not run again.
        PyObject *type, *value, *traceback;
        PyErr_Fetch(&type, &value, &traceback);
        try {
            removeFinished();
        } catch (const PyError&) {
            PyErr_Clear();
        }
        PyErr_Restore(type, value, traceback);
        throw;
    }
    removeFinished();
}

// Copies a renderer's target into the streaming texture, clipped to the smaller of the two sizes.
void uploadTarget(EngineObject* e, PyObject* target) {
    if (target == Py_None) return;
    if (!PyObject_TypeCheck(target, TextureType)) {
        PyErr_Format(PyExc_TypeError, "Cannot convert %.200s to brovaline.Texture", Py_TYPE(target)->tp_name);
        throwPy();
    }
    SDL_Surface* s = reinterpret_cast<TextureObject*>(target)->surface;
    int tw = 0, th = 0;
    if (!s || !e->renderTarget || SDL_QueryTexture(e->renderTarget, nullptr, nullptr, &tw, &th) != 0) return;
    SDL_Rect rect{0, 0, std::min(tw, s->w), std::min(th, s->h)};
    if (rect.w > 0 && rect.h > 0) SDL_UpdateTexture(e->renderTarget, &rect, s->pixels, s->pitch);
}

void uploadRenderers(EngineObject* e) {
    if (!e->ecs || e->ecs == Py_None) return;
    Ref systems = Ref::borrow(reinterpret_cast<EcsObject*>(e->ecs)->systems);
    if (!systems || !PyList_Check(systems.get())) return;
    static PyObject* getTarget = intern("getTarget");
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(systems.get()); ++i) {
        Ref system = Ref::borrow(PyList_GET_ITEM(systems.get(), i));
        if (!PyObject_TypeCheck(system.get(), RendererType)) continue;
        Ref target = callMethod(getTarget, system.get());
        uploadTarget(e, target);
    }
}

PyObject* Engine_update(PyObject* self, PyObject*) {
    return guard([&] {
        EngineObject* e = asEngine(self);
        Ref keepAlive = Ref::borrow(self);
        Ref r = engine_methods::ensureInit.call(self);
        advanceClock(e);
        engineUpdateInput(e);
        deliverMusicStopped(self);
        runTasks(e);
        if (e->ecs && e->ecs != Py_None) {
            Ref ecs = Ref::borrow(e->ecs);
            Ref step = Ref::checked(PyFloat_FromDouble(e->timeStep));
            ecsUpdate(ecs.get(), step.get());
        }
        // quit() may have been called during the frame: the window and its renderer are gone then.
        if (!e->sdlRenderer) return none();
        uploadRenderers(e);
        if (!e->sdlRenderer) return none();
        SDL_RenderCopy(e->sdlRenderer, e->renderTarget, nullptr, nullptr);
        SDL_RenderPresent(e->sdlRenderer);
        return none();
    });
}

void sleepSeconds(double seconds) {
    PyObject* time = moduleGlobal("time");
    if (!time) throwPy();
    Ref secs = Ref::checked(PyFloat_FromDouble(seconds));
    Ref r = callMethod(intern("sleep"), time, secs.get());
}

void cancelTimers() {
    PyObject* timers = engineClassAttr(intern("_timers"));
    Ref copy = Ref::checked(PySequence_List(timers));
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(copy.get()); ++i) callMethod(intern("cancel"), PyList_GET_ITEM(copy.get(), i));
    Ref r = callMethod(intern("clear"), timers);
}

PyObject* Engine_run(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("run", 0, "maxFps");
        Ref maxFps = a[0] ? Ref::borrow(a[0]) : Ref::checked(PyLong_FromLong(60));
        Ref one = Ref::checked(PyFloat_FromDouble(1.0));
        double spf = toDouble(Ref::checked(PyNumber_TrueDivide(one, maxFps)));
        Ref keepAlive = Ref::borrow(self);
        while (asEngine(self)->initialized) {
            engine_methods::update.call(self);
            double fps = toDouble(engine_methods::getFps.call(self));
            double frameDuration = fps > 0 ? 1.0 / fps : 1.0;
            double remaining = spf - frameDuration;
            sleepSeconds(remaining > 0 ? remaining : 1e-9);
        }
        cancelTimers();
        return none();
    });
}

PyObject* Engine_quit(PyObject* self, PyObject*) {
    EngineObject* e = asEngine(self);
    e->initialized = 0;
    if (e->window) SDL_DestroyWindow(e->window);  // also destroys its renderer and textures
    e->window = nullptr;
    e->sdlRenderer = nullptr;
    e->renderTarget = nullptr;
    IMG_Quit();
    SDL_Quit();
    return none();
}

PyObject* Engine_getFps(PyObject* self, PyObject*) { return PyFloat_FromDouble(asEngine(self)->fps); }
PyObject* Engine_getTimeStep(PyObject* self, PyObject*) { return PyFloat_FromDouble(asEngine(self)->timeStep); }

PyObject* Engine_getEcs(PyObject* self, void*) { return newRefOrNone(asEngine(self)->ecs); }

PyObject* Engine_getFixedTimeStep(PyObject* self, void*) {
    double step = asEngine(self)->fixedTimeStep;
    return step > 0 ? PyFloat_FromDouble(step) : none();
}

int Engine_setFixedTimeStep(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        double step = value == Py_None ? 0.0 : toDouble(value);
        if (!(step >= 0.0) || std::isinf(step)) {
            PyErr_Format(PyExc_ValueError, "fixedTimeStep must be a positive number of seconds or None, got %R", value);
            throwPy();
        }
        asEngine(self)->fixedTimeStep = step;
        return 0;
    });
}

PyObject* Engine_getWindowId(PyObject* self, void*) {
    SDL_Window* window = asEngine(self)->window;
    return PyLong_FromUnsignedLong(window ? SDL_GetWindowID(window) : 0);
}

PyMethodDef coreMethods[] = {
    BV_METHOD("init", Engine_initWindow, "Opens the window and the render target."),
    BV_METHOD_NOARGS("_ensureInit", Engine_ensureInit, nullptr),
    BV_METHOD_NOARGS("isRunning", Engine_isRunning, "True while the engine is initialised and not yet quit."),
    BV_METHOD_NOARGS("update", Engine_update, "Runs one frame."),
    BV_METHOD("run", Engine_run, "Runs frames while the engine is initialised, at most maxFps per second."),
    BV_METHOD_NOARGS("quit", Engine_quit, "Destroys the window and shuts SDL down."),
    BV_METHOD_NOARGS("getFps", Engine_getFps, "Frames per second, as last measured."),
    BV_METHOD_NOARGS("getTimeStep", Engine_getTimeStep, "Seconds the last frame took: the step systems and tasks advance by."),
    BV_METHODS_END,
};

PyObject* Engine_getJoysticks(PyObject*, void*) {
    return guard([&] { return PySequence_List(engineClassAttr(intern("_joysticks"))); });
}

PyGetSetDef engineProps[] = {
    computed("ecs", Engine_getEcs),
    computed("joysticks", Engine_getJoysticks, "A copy of the list of opened joysticks."),
    computed<Engine_setFixedTimeStep>("fixedTimeStep", Engine_getFixedTimeStep,
                                      "Seconds per frame that update() uses instead of the measured time; None: measured.\n\n"
                                      "While set, every frame advances the game by exactly this step (getTimeStep() returns it and\n"
                                      "getFps() its inverse), whatever the machine's speed. None (the default) or 0 switches back to\n"
                                      "the time measured in whole milliseconds between frames. run() paces itself by getFps(), so\n"
                                      "with a fixed step it no longer waits for the clock."),
    computed("windowId", Engine_getWindowId, "SDL's id of the engine's window (0 without one)."),
    propsEnd(),
};

ClassRegistration reg("Engine", [] {
    ClassSpec spec = specFor<EngineObject>("Engine");
    spec.doc = "The engine: window, frame loop, input, events, tasks and the game's Ecs.";
    spec.methods = joinTables<PyMethodDef>(
        {coreMethods, engineWindowMethods, engineEventMethods, engineInputMethods, engineTaskMethods});
    spec.getset = engineProps;
    spec.init = Engine_init;
    EngineType = createType(spec);
    using namespace engine_methods;
    for (Overridable* m : {&ensureInit, &update, &getFps, &isFullscreen, &fireEvent, &addTask, &setWindowIcon})
        m->bind(EngineType);
    return EngineType;
});

// Class-level attributes shared by every Engine.
StartupStep classAttributes(Startup::EngineClassAttributes, [](PyObject*) {
    PyObject* dict = EngineType->tp_dict;
    Ref version = Ref::checked(PyFloat_FromDouble(0.1));
    check(PyDict_SetItemString(dict, "version", version));
    Ref subscribers = Ref::checked(PyDict_New());
    check(PyDict_SetItemString(dict, "_eventSubscribers", subscribers));
    for (const char* name : {"_tasks", "_timers", "_joysticks"}) {
        Ref list = Ref::checked(PyList_New(0));
        check(PyDict_SetItemString(dict, name, list));
    }
    PyType_Modified(EngineType);
});

}  // namespace

PyObject* engineClassAttr(PyObject* name) {
    PyObject* v = _PyType_Lookup(EngineType, name);
    if (!v) {
        PyErr_Format(PyExc_AttributeError, "type object 'Engine' has no attribute '%U'", name);
        throwPy();
    }
    return v;
}

std::pair<double, double> displayScaleFactor(EngineObject* self) {
    int ww = 0, wh = 0, tw = 0, th = 0;
    if (self->window) SDL_GetWindowSize(self->window, &ww, &wh);
    if (self->renderTarget) SDL_QueryTexture(self->renderTarget, nullptr, nullptr, &tw, &th);
    if (ww == 0 || wh == 0) return {1.0, 1.0};
    return {double(tw) / ww, double(th) / wh};
}

}  // namespace bv
