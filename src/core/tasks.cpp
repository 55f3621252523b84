// Per-frame tasks (run by Engine.update) and delayed tasks on timer threads.
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "core/engine.hpp"

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

// addTaskAfter is a plain Python method: its timer target is a closure run on the timer thread.
const char* kAddTaskAfter = R"PY(
def addTaskAfter(self, delaySeconds, task, onDone=None):
    """Adds the task once delaySeconds have passed (at once when delaySeconds <= 0)."""
    if delaySeconds <= 0:
        self.addTask(task, onDone)
        return

    def timerTarget():
        # Leaving the timer list first makes firing and cancelling at the end of run exclusive:
        # a timer that run has already dropped adds nothing.
        try:
            self._timers.remove(timer)
        except ValueError:
            return
        self.addTask(task, onDone)

    timer = Timer(delaySeconds, timerTarget)
    timer.daemon = True  # a pending delay must not keep the interpreter from exiting
    self._timers.append(timer)
    timer.start()

Engine.addTaskAfter = addTaskAfter
addTaskAfter.__qualname__ = "Engine.addTaskAfter"
del addTaskAfter
)PY";

StartupStep addTaskAfter(151, [](PyObject*) { runInModule(kAddTaskAfter); });

}  // namespace

PyMethodDef engineTaskMethods[] = {
    BV_METHOD("addTask", Engine_addTask, "Calls task(timeStep, onDone) every frame until it returns a true value."),
    BV_METHODS_END,
};

}  // namespace bv
