// Printing lines through the host's sys.stdout.
#include "output.hpp"

#include "overridable.hpp"

namespace bv {

void printLine(PyObject* text) {
    static PyObject* print = PyDict_GetItemString(PyEval_GetBuiltins(), "print");
    if (!print) {
        PyErr_SetString(PyExc_RuntimeError, "print is not available");
        throwPy();
    }
    callObject(print, text);
}

void printLine(std::string_view utf8) {
    Ref s = Ref::checked(PyUnicode_DecodeUTF8(utf8.data(), Py_ssize_t(utf8.size()), "replace"));
    printLine(s.get());
}

}  // namespace bv
