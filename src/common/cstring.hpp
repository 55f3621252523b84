// Strings handed to C libraries that stop at the first NUL byte.
#pragma once
#include "py.hpp"

#include <cstring>

namespace bv {

// Like toUtf8, but raises ValueError for a str with an embedded NUL character, which C would
// silently cut off (a different file name, a shorter text).
inline const char* toCString(PyObject* o, const char* argName) {
    toUtf8(o, argName);
    Py_ssize_t size = 0;
    const char* s = PyUnicode_AsUTF8AndSize(o, &size);
    if (!s) throwPy();
    if (std::strlen(s) != size_t(size)) {
        PyErr_Format(PyExc_ValueError, "Argument '%.200s' must not contain a NUL character", argName);
        throwPy();
    }
    return s;
}

}  // namespace bv
