// Registration of the module's classes and start-up steps. Each class file registers itself with
// a static object; module initialisation creates the classes in the module's documented order and
// then runs the start-up steps in the order of `Startup`.
#pragma once
#include "py.hpp"

namespace bv {

using TypeMaker = PyTypeObject* (*)();  // creates the class (throws PyError on failure)
using StartupFn = void (*)(PyObject* module);

struct ClassRegistration {
    ClassRegistration(const char* name, TypeMaker make);
};
// The start-up steps, in the order they run once every class exists; each is registered by one
// StartupStep in the file named. To add a step, insert its name where it must run.
enum class Startup {
    HostModules,            // core/startup.cpp: Timer, time
    KeyConstants,           // input/keys.cpp: key and mouse constants
    MathModule,             // core/startup.cpp: math
    AngleConstants,         // geometry/vector2.cpp
    ComponentRegistry,      // ecs/component_registry.cpp (needs the component classes)
    SystemLoop,             // ecs/system.cpp: the Python walk of AbstractSystem.update
    BlendModeConstants,     // render/blend_mode.cpp
    LevelModules,           // core/startup.cpp: _json, traceback, os, _ospath
    LevelConstants,         // level/constants.cpp: level constants, ASCII_CELLS
    SoundState,             // resources/audio.cpp
    AlignmentAndSize,       // ui/constants.cpp
    LayoutAnchorSlider,     // ui/constants.cpp
    SysModule,              // core/startup.cpp: _sys
    TerminalColours,        // terminal/terminal.cpp (needs _sys)
    Docstring,              // core/startup.cpp
    ErrorClasses,           // core/errors.cpp
    Sdl,                    // core/startup.cpp: SDL start-up
    EngineClassAttributes,  // core/engine.cpp
    EngineAddTaskAfter,     // core/tasks.cpp (needs Timer and Engine)
    TextSignatures,         // common/text_signatures.cpp (last: signs every class and function)
};
struct StartupStep {
    StartupStep(Startup step, StartupFn fn);
};

// Python source kept as a .py file under src/ and embedded by the build (a generated header
// "<path>.py.hpp" defining it); `path` is the name its tracebacks give.
struct PythonSource {
    const char* path;
    const char* source;
};

// Builds the module's namespace; called once by PyInit_brovaline.
void populateModule(PyObject* module, const char* const* classOrder, size_t count);

// The module object (borrowed; valid after initialisation starts).
PyObject* module();
// A module global by name (borrowed), or null if it is not defined.
PyObject* moduleGlobal(const char* name);
// Runs embedded Python source in the module's namespace (for what is defined at the Python level).
void runInModule(const PythonSource& python);

}  // namespace bv
