// Methods of one argument that accept it by position or by its keyword, written as METH_O bodies.
#pragma once
#include "args.hpp"

#include <algorithm>
#include <cstddef>

namespace bv {

// A string literal usable as a template argument.
template <size_t N>
struct Literal {
    char text[N];
    constexpr Literal(const char (&s)[N]) { std::copy_n(s, N, text); }
};

// Calls `Fn(self, arg)` for `name(arg)` or `name(argName=arg)`; any other call is a TypeError.
template <PyObject* (*Fn)(PyObject*, PyObject*), Literal Name, Literal ArgName>
PyObject* oneArgMethod(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    if (nargs == 1 && !kwnames) return Fn(self, args[0]);
    PyObject* arg = nullptr;
    static constexpr const char* names[] = {ArgName.text};
    if (guardInt([&] {
            Signature{Name.text, names, 1, 1}.parse(args, nargs, kwnames, &arg);
            return 0;
        }) < 0)
        return nullptr;
    return Fn(self, arg);
}

}  // namespace bv

// A method table entry for a METH_O body `fn` whose argument may also be passed as `argName=`.
#define BV_METHOD_ARG(name, fn, argName, doc)                                                               \
    {                                                                                                       \
        name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&::bv::oneArgMethod<fn, name, argName>)), \
            METH_FASTCALL | METH_KEYWORDS, doc                                                              \
    }
