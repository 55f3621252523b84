// Per-frame tasks (run by Engine.update) and delayed tasks on timer threads.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"
#include "core/tasks.py.hpp"

namespace bv {

namespace {

PyObject* Engine_addTask(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("addTask", 1, "task", "onDone");
        Ref pair = Ref::checked(PyTuple_Pack(2, a[0], orNone(a[1])));
        callMethod(intern("append"), engineClassAttr(intern("_tasks")), pair.get());
        return none();
    });
}

StartupStep addTaskAfter(Startup::EngineAddTaskAfter, [](PyObject*) { runInModule(embedded::core_tasks_py); });

}  // namespace

PyMethodDef engineTaskMethods[] = {
    BV_METHOD("addTask", Engine_addTask, "Calls task(timeStep, onDone) every frame until it returns a true value."),
    BV_METHODS_END,
};

}  // namespace bv
