// The engine's event subscriber table (Engine._eventSubscribers, shared by every engine).
#pragma once
#include "common/py.hpp"

namespace bv {

// The handler list subscribed to exactly `key`, or null when there is none. Throws PyError.
Ref eventHandlers(PyObject* key);

// engine.fireEvent(evt, evtType): the native dispatch unless a subclass overrides fireEvent.
// `evtType` null or None means type(evt). Handler exceptions propagate (PyError).
void fireEvent(PyObject* engine, PyObject* evt, PyObject* evtType = nullptr);

}  // namespace bv
