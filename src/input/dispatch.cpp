// The engine's event subscriber table: subscribeEvent, unsubscribeEvent, fireEvent.
#include "common/klass.hpp"
#include "core/engine.hpp"

namespace bv {

namespace {

PyObject* subscribers() { return engineClassAttr(intern("_eventSubscribers")); }

PyObject* Engine_subscribeEvent(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("subscribeEvent", 2, "eventType", "eventHandler");
        PyObject* table = subscribers();
        Ref list = Ref::checked(PyObject_CallMethod(table, "setdefault", "(ON)", a[0], PyList_New(0)));
        check(PyList_Check(list.get()) ? PyList_Append(list, a[1]) : (callMethod(intern("append"), list.get(), a[1]), 0));
        return none();
    });
}

PyObject* Engine_unsubscribeEvent(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("unsubscribeEvent", 2, "eventType", "eventHandler");
        PyObject* table = subscribers();
        if (!check(PySequence_Contains(table, a[0]))) return none();
        Ref list = Ref::checked(PyObject_GetItem(table, a[0]));
        if (check(PySequence_Contains(list, a[1]))) callMethod(intern("remove"), list.get(), a[1]);
        return none();
    });
}

PyObject* Engine_fireEvent(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("fireEvent", 1, "evt", "evtType");
        PyObject* key = a[1] && a[1] != Py_None ? a[1] : reinterpret_cast<PyObject*>(Py_TYPE(a[0]));
        PyObject* table = subscribers();
        Ref handlers = Ref::borrow(PyDict_Check(table) ? PyDict_GetItemWithError(table, key) : nullptr);
        if (!handlers) {
            if (PyErr_Occurred()) throwPy();
            if (PyDict_Check(table) || !check(PySequence_Contains(table, key))) return none();
            handlers = Ref::checked(PyObject_GetItem(table, key));
        }
        // Live iteration by position: handlers added during dispatch are reached, removals shift.
        for (Py_ssize_t i = 0; i < check(int(PySequence_Size(handlers))); ++i) {
            Ref handler = Ref::checked(PySequence_GetItem(handlers, i));
            callObject(handler.get(), a[0]);
        }
        return none();
    });
}

}  // namespace

PyMethodDef engineEventMethods[] = {
    BV_METHOD("subscribeEvent", Engine_subscribeEvent, "Calls eventHandler(evt) for every event of exactly this class."),
    BV_METHOD("unsubscribeEvent", Engine_unsubscribeEvent, "Removes the first subscription of eventHandler."),
    BV_METHOD("fireEvent", Engine_fireEvent, "Delivers evt to the subscribers of evtType (default: type(evt))."),
    BV_METHODS_END,
};

}  // namespace bv
