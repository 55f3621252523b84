// The repr of a value for error messages, and the re-raising of an entry's error with its file and entry.
#include "error_context.hpp"

namespace bv {

std::string reprText(PyObject* obj) {
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Ref text = Ref::steal(obj ? PyObject_Repr(obj) : nullptr);
    const char* utf8 = text ? PyUnicode_AsUTF8(text.get()) : nullptr;
    std::string result = utf8 ? utf8 : "?";
    PyErr_Clear();
    PyErr_Restore(type, value, tb);
    return result;
}

void rethrowWithContext(const std::string& where) {
    PyObject* kind = nullptr;
    for (PyObject* k : {PyExc_KeyError, PyExc_TypeError, PyExc_ValueError})
        if (!kind && PyErr_ExceptionMatches(k)) kind = k;
    if (!kind) throwPy();
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    Ref cause = Ref::steal(value);
    Py_XDECREF(type);
    Py_XDECREF(tb);
    Ref message;
    if (kind == PyExc_KeyError) {
        Ref args = Ref::checked(PyObject_GetAttrString(cause.get(), "args"));
        PyObject* key = PyTuple_Check(args.get()) && PyTuple_GET_SIZE(args.get()) ? PyTuple_GET_ITEM(args.get(), 0) : Py_None;
        message = Ref::checked(PyUnicode_FromFormat("%s has no %R", where.c_str(), key));
    } else {
        message = Ref::checked(PyUnicode_FromFormat("%s: %S", where.c_str(), cause.get()));
    }
    Ref error = Ref::checked(PyObject_CallOneArg(kind, message.get()));
    PyException_SetCause(error.get(), cause.release());
    PyErr_SetObject(kind, error.get());
    throwPy();
}

}  // namespace bv
