// Conversions between C++ field types and Python values, used by the property builders.
#pragma once
#include "args.hpp"

namespace bv {

template <class F>
struct FieldCodec;

template <>
struct FieldCodec<PyObject*> {
    static PyObject* get(PyObject* f) { return newRefOrNone(f); }
    static void set(PyObject*& f, PyObject* v) { setRef(f, v); }
};
template <>
struct FieldCodec<bool> {
    static PyObject* get(bool f) { return boolean(f); }
    static void set(bool& f, PyObject* v) { f = truth(v); }
};
template <>
struct FieldCodec<int32_t> {
    static PyObject* get(int32_t f) { return PyLong_FromLong(f); }
    static void set(int32_t& f, PyObject* v) { f = toInt32(v); }
};
template <>
struct FieldCodec<uint32_t> {
    static PyObject* get(uint32_t f) { return PyLong_FromUnsignedLong(f); }
    static void set(uint32_t& f, PyObject* v) { f = toUInt32(v); }
};
template <>
struct FieldCodec<int64_t> {
    static PyObject* get(int64_t f) { return PyLong_FromLongLong(f); }
    static void set(int64_t& f, PyObject* v) { f = toInt64(v); }
};
template <>
struct FieldCodec<double> {
    static PyObject* get(double f) { return PyFloat_FromDouble(f); }
    static void set(double& f, PyObject* v) { f = toDouble(v); }
};

}  // namespace bv
