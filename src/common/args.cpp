// Argument parsing against a Signature: count, keyword and missing-argument errors; argument type errors.
#include "args.hpp"

#include <cstring>

namespace bv {

namespace {

[[noreturn]] void countError(const Signature& s, Py_ssize_t given) {
    const char* bound = s.required == s.count ? "exactly" : (given < s.required ? "at least" : "at most");
    int n = given < s.required ? s.required : s.count;
    PyErr_Format(PyExc_TypeError, "%s() takes %s %d positional argument%s (%zd given)", s.function, bound, n,
                 n == 1 ? "" : "s", given);
    throwPy();
}

int indexOf(const Signature& s, PyObject* key) {
    for (int i = 0; i < s.count; ++i)
        if (PyUnicode_CompareWithASCIIString(key, s.names[i]) == 0) return i;
    return -1;
}

void assignKeyword(const Signature& s, PyObject* key, PyObject* value, PyObject** out) {
    int i = indexOf(s, key);
    if (i < 0) {
        PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", s.function, key);
        throwPy();
    }
    if (out[i]) {
        PyErr_Format(PyExc_TypeError, "%s() got multiple values for keyword argument '%U'", s.function, key);
        throwPy();
    }
    out[i] = value;
}

void checkRequired(const Signature& s, Py_ssize_t nargs, PyObject** out) {
    for (int i = int(nargs); i < s.required; ++i) {
        if (!out[i]) {
            Py_ssize_t given = 0;
            for (int j = 0; j < s.count; ++j) given += out[j] != nullptr;
            countError(s, given);
        }
    }
}

}  // namespace

void Signature::parse(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out) const {
    if (nargs > count) countError(*this, nargs);
    Py_ssize_t npos = nargs < count ? nargs : count;
    for (Py_ssize_t i = 0; i < npos; ++i) out[i] = args[i];
    if (kwnames) {
        Py_ssize_t nkw = PyTuple_GET_SIZE(kwnames);
        for (Py_ssize_t k = 0; k < nkw; ++k) assignKeyword(*this, PyTuple_GET_ITEM(kwnames, k), args[nargs + k], out);
    }
    checkRequired(*this, npos, out);
}

void Signature::parse(PyObject* args, PyObject* kwargs, PyObject** out) const {
    Py_ssize_t nargs = PyTuple_GET_SIZE(args);
    if (nargs > count) countError(*this, nargs);
    Py_ssize_t npos = nargs < count ? nargs : count;
    for (Py_ssize_t i = 0; i < npos; ++i) out[i] = PyTuple_GET_ITEM(args, i);
    if (kwargs) {
        Py_ssize_t pos = 0;
        PyObject *key, *value;
        while (PyDict_Next(kwargs, &pos, &key, &value)) assignKeyword(*this, key, value, out);
    }
    checkRequired(*this, npos, out);
}

void throwArgType(const char* argName, const char* expected, PyObject* got) {
    PyErr_Format(PyExc_TypeError, "Argument '%.200s' has incorrect type (expected %.200s, got %.200s)", argName,
                 expected, Py_TYPE(got)->tp_name);
    throwPy();
}

void throwArgType(const char* argName, PyTypeObject* expected, PyObject* got) {
    throwArgType(argName, expected->tp_name, got);
}

}  // namespace bv
