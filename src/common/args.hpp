// Argument parsing for METH_FASTCALL|METH_KEYWORDS methods and for tp_init, and argument type checks.
#pragma once
#include "py.hpp"

namespace bv {

// A positional-or-keyword signature: `names.size()` parameters, the first `required` mandatory.
// Missing optional parameters are left null in the output array.
struct Signature {
    const char* function;
    const char* const* names;
    int count;
    int required;

    // Fast-call form. Throws PyError on a bad call.
    void parse(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** out) const;
    // tp_init / tp_new form.
    void parse(PyObject* args, PyObject* kwargs, PyObject** out) const;
};

// Declares `a[N]` and parses the fast-call arguments into it.
#define BV_PARSE(fname, required, ...)                                                    \
    static constexpr const char* bv_names_[] = {__VA_ARGS__};                              \
    constexpr int bv_count_ = int(sizeof(bv_names_) / sizeof(bv_names_[0]));              \
    PyObject* a[bv_count_] = {};                                                           \
    ::bv::Signature{fname, bv_names_, bv_count_, required}.parse(args, nargs, kwnames, a)

// Same for tp_init(self, args, kwargs).
#define BV_PARSE_INIT(fname, required, ...)                                               \
    static constexpr const char* bv_names_[] = {__VA_ARGS__};                              \
    constexpr int bv_count_ = int(sizeof(bv_names_) / sizeof(bv_names_[0]));              \
    PyObject* a[bv_count_] = {};                                                           \
    ::bv::Signature{fname, bv_names_, bv_count_, required}.parse(args, kwargs, a)

// Raises "Argument '%.200s' has incorrect type (expected %.200s, got %.200s)".
[[noreturn]] void throwArgType(const char* argName, PyTypeObject* expected, PyObject* got);
[[noreturn]] void throwArgType(const char* argName, const char* expected, PyObject* got);

// Checks that `o` is an instance of `type` (or None when allowed); throws the TypeError above.
inline void checkArg(PyObject* o, PyTypeObject* type, const char* argName, bool allowNone = true) {
    if ((allowNone && o == Py_None) || Py_IS_TYPE(o, type) || PyObject_TypeCheck(o, type)) return;
    throwArgType(argName, type, o);
}
}  // namespace bv
