// The engine's event subscriber table (Engine._eventSubscribers, shared by every engine).
#pragma once
#include "common/py.hpp"

namespace bv {

// The handler list subscribed to exactly `key`, or null when there is none. Throws PyError.
Ref eventHandlers(PyObject* key);

// Calls `call(handler)` for every handler of `key`, walking the live list by position: handlers
// appended meanwhile are reached, a removal shifts the later ones down. Throws PyError.
template <class Call>
void forEachHandler(PyObject* key, Call call) {
    Ref handlers = eventHandlers(key);
    if (!handlers) return;
    for (Py_ssize_t i = 0;; ++i) {
        Py_ssize_t n = PySequence_Size(handlers);
        if (n < 0) throwPy();
        if (i >= n) break;
        Ref handler = Ref::checked(PySequence_GetItem(handlers, i));
        call(handler.get());
    }
}

// engine.fireEvent(evt, evtType): the native dispatch unless a subclass overrides fireEvent.
// `evtType` null or None means type(evt). Handler exceptions propagate (PyError).
void fireEvent(PyObject* engine, PyObject* evt, PyObject* evtType = nullptr);

}  // namespace bv
