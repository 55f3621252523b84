// The engine's event subscriber table: subscribeEvent, unsubscribeEvent, fireEvent.
#include "input/event_subscribers.hpp"

#include "common/klass.hpp"
#include "core/engine.hpp"

namespace bv {

namespace {

// Held as a new reference: a handler or a key's __eq__ may replace the table while it is used.
Ref subscribers() { return Ref::borrow(engineClassAttr(intern("_eventSubscribers"))); }

// Calls every handler of `key` with `evt`.
void dispatch(PyObject* evt, PyObject* key) {
    forEachHandler(key, [&](PyObject* handler) { callObject(handler, evt); });
}

PyObject* Engine_subscribeEvent(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("subscribeEvent", 2, "eventType", "eventHandler");
        Ref table = subscribers();
        Ref empty = Ref::checked(PyList_New(0));
        Ref list = callMethod(intern("setdefault"), table.get(), a[0], empty.get());
        if (PyList_CheckExact(list.get()))
            check(PyList_Append(list, a[1]));
        else
            callMethod(intern("append"), list.get(), a[1]);
        return none();
    });
}

PyObject* Engine_unsubscribeEvent(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("unsubscribeEvent", 2, "eventType", "eventHandler");
        Ref list = eventHandlers(a[0]);
        if (list && check(PySequence_Contains(list, a[1]))) callMethod(intern("remove"), list.get(), a[1]);
        return none();
    });
}

PyObject* Engine_fireEvent(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("fireEvent", 1, "evt", "evtType");
        dispatch(a[0], a[1] && a[1] != Py_None ? a[1] : reinterpret_cast<PyObject*>(Py_TYPE(a[0])));
        return none();
    });
}

}  // namespace

Ref eventHandlers(PyObject* key) {
    Ref table = subscribers();
    if (PyDict_Check(table.get())) {
        PyObject* list = PyDict_GetItemWithError(table, key);
        if (!list && PyErr_Occurred()) throwPy();
        return Ref::borrow(list);
    }
    if (!check(PySequence_Contains(table, key))) return nullptr;
    return Ref::checked(PyObject_GetItem(table, key));
}

void fireEvent(PyObject* engine, PyObject* evt, PyObject* evtType) {
    if (engine_methods::fireEvent.isNative(engine)) {
        dispatch(evt, evtType && evtType != Py_None ? evtType : reinterpret_cast<PyObject*>(Py_TYPE(evt)));
        return;
    }
    if (evtType)
        engine_methods::fireEvent.call(engine, evt, evtType);
    else
        engine_methods::fireEvent.call(engine, evt);
}

PyMethodDef engineEventMethods[] = {
    BV_METHOD("subscribeEvent", Engine_subscribeEvent, "Calls eventHandler(evt) for every event of exactly this class."),
    BV_METHOD("unsubscribeEvent", Engine_unsubscribeEvent, "Removes the first subscription of eventHandler."),
    BV_METHOD("fireEvent", Engine_fireEvent, "Delivers evt to the subscribers of evtType (default: type(evt))."),
    BV_METHODS_END,
};

}  // namespace bv
