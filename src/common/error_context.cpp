// Errors that name the file and entry they come from (see error_context.hpp).
#include "error_context.hpp"

namespace bv {

namespace {
std::string textOf(PyObject* obj, PyObject* (*convert)(PyObject*)) {
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Ref text = Ref::steal(obj ? convert(obj) : nullptr);
    const char* utf8 = text ? PyUnicode_AsUTF8(text.get()) : nullptr;
    std::string result = utf8 ? utf8 : "?";
    PyErr_Clear();
    PyErr_Restore(type, value, tb);
    return result;
}

// Adds `note` to the pending exception; the error stays pending as it was.
void addNote(const std::string& note) {
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    if (value) {
        Ref text = Ref::steal(PyUnicode_FromStringAndSize(note.data(), Py_ssize_t(note.size())));
        Ref done = Ref::steal(text ? PyObject_CallMethod(value, "add_note", "O", text.get()) : nullptr);
        PyErr_Clear();
    }
    PyErr_Restore(type, value, tb);
}
}  // namespace

std::string strText(PyObject* obj) { return textOf(obj, PyObject_Str); }

std::string reprText(PyObject* obj) { return textOf(obj, PyObject_Repr); }

void raiseReplacingPending(PyObject* kind, const std::string& message) {
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    Ref cause = Ref::steal(value);
    Py_XDECREF(type);
    Py_XDECREF(tb);
    Ref text = Ref::checked(PyUnicode_FromStringAndSize(message.data(), Py_ssize_t(message.size())));
    Ref error = Ref::checked(PyObject_CallOneArg(kind, text.get()));
    if (cause) PyException_SetCause(error.get(), cause.release());
    PyErr_SetObject(kind, error.get());
    throwPy();
}

void rethrowWithContext(const std::string& where) {
    PyObject* kind = nullptr;
    for (PyObject* k : {PyExc_KeyError, PyExc_IndexError, PyExc_TypeError, PyExc_ValueError})
        if (!kind && PyErr_ExceptionMatches(k)) kind = k;
    if (!kind) {
        addNote("in " + where);
        throwPy();
    }
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    Ref pendingType = Ref::steal(type), pending = Ref::steal(value), pendingTb = Ref::steal(tb);
    std::string message;
    if (kind == PyExc_KeyError) {
        Ref args = Ref::steal(PyObject_GetAttrString(pending.get(), "args"));
        PyObject* key = args && PyTuple_Check(args.get()) && PyTuple_GET_SIZE(args.get())
                            ? PyTuple_GET_ITEM(args.get(), 0) : Py_None;
        message = where + " has no " + reprText(key);
    } else {
        message = where + ": " + strText(pending.get());
    }
    PyErr_Clear();
    PyErr_Restore(pendingType.release(), pending.release(), pendingTb.release());
    raiseReplacingPending(kind, message);
}

void reportWithContext(const std::string& where, const char* context) {
    try {
        rethrowWithContext(where);
    } catch (const PyError&) {
        reportUnraisable(context);
    }
}

}  // namespace bv
