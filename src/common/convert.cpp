// Conversions of Python values to C++ ones (ints, doubles, UTF-8), pair unpacking, unraisable reports.
#include "py.hpp"

namespace bv {

int32_t toInt32(PyObject* o) {
    if (PyFloat_Check(o)) {
        PyErr_SetString(PyExc_TypeError, "an integer is required");
        throwPy();
    }
    long v = PyLong_AsLong(o);
    if (v == -1 && PyErr_Occurred()) {
        if (PyErr_ExceptionMatches(PyExc_OverflowError)) {
            PyErr_SetString(PyExc_OverflowError, "value too large to convert to int");
        }
        throwPy();
    }
    if (v < INT32_MIN || v > INT32_MAX) {
        PyErr_SetString(PyExc_OverflowError, "value too large to convert to int");
        throwPy();
    }
    return int32_t(v);
}

uint32_t toUInt32(PyObject* o) {
    if (PyFloat_Check(o)) {
        PyErr_SetString(PyExc_TypeError, "an integer is required");
        throwPy();
    }
    long long v = PyLong_AsLongLong(o);
    if (v == -1 && PyErr_Occurred()) {
        if (PyErr_ExceptionMatches(PyExc_OverflowError))
            PyErr_SetString(PyExc_OverflowError, "value too large to convert to unsigned int");
        throwPy();
    }
    if (v < 0) {
        PyErr_SetString(PyExc_OverflowError, "can't convert negative value to unsigned int");
        throwPy();
    }
    if (v > UINT32_MAX) {
        PyErr_SetString(PyExc_OverflowError, "value too large to convert to unsigned int");
        throwPy();
    }
    return uint32_t(v);
}

int64_t toInt64(PyObject* o) {
    if (PyFloat_Check(o)) {
        PyErr_SetString(PyExc_TypeError, "an integer is required");
        throwPy();
    }
    long long v = PyLong_AsLongLong(o);
    if (v == -1 && PyErr_Occurred()) throwPy();
    return v;
}

double toDouble(PyObject* o) {
    if (PyFloat_CheckExact(o)) return PyFloat_AS_DOUBLE(o);
    double v = PyFloat_AsDouble(o);
    if (v == -1.0 && PyErr_Occurred()) throwPy();
    return v;
}

const char* toUtf8(PyObject* o, const char* argName) {
    if (!PyUnicode_Check(o)) {
        PyErr_Format(PyExc_TypeError, "Argument '%.200s' has incorrect type (expected str, got %.200s)", argName,
                     Py_TYPE(o)->tp_name);
        throwPy();
    }
    const char* s = PyUnicode_AsUTF8(o);
    if (!s) throwPy();
    return s;
}

std::pair<Ref, Ref> unpackPair(PyObject* seq) {
    Ref fast = Ref::checked(PySequence_Fast(seq, "cannot unpack non-iterable object"));
    Py_ssize_t n = PySequence_Fast_GET_SIZE(fast.get());
    if (n != 2) {
        if (n < 2)
            PyErr_Format(PyExc_ValueError, "not enough values to unpack (expected 2, got %zd)", n);
        else
            PyErr_Format(PyExc_ValueError, "too many values to unpack (expected 2)");
        throwPy();
    }
    PyObject** items = PySequence_Fast_ITEMS(fast.get());
    return {Ref::borrow(items[0]), Ref::borrow(items[1])};
}

void reportUnraisable(const char* context) {
    Ref name = Ref::steal(PyUnicode_FromFormat("brovaline.%s", context));
    PyErr_WriteUnraisable(name ? name.get() : Py_None);
}

}  // namespace bv
