// Core of the binding layer: owning references, error propagation and small conversions.
#pragma once
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdint>
#include <new>
#include <utility>

namespace bv {

// Thrown when a Python error is already set; caught by `guard` and turned into a null/-1 return.
struct PyError {};

[[noreturn]] inline void throwPy() { throw PyError{}; }

// Checks a C API result: null means an error is set.
inline PyObject* check(PyObject* o) {
    if (!o) throwPy();
    return o;
}
inline int check(int r) {
    if (r < 0) throwPy();
    return r;
}

// Owning reference to a Python object.
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    static Ref steal(PyObject* o) { return Ref(o); }
    static Ref borrow(PyObject* o) {
        Py_XINCREF(o);
        return Ref(o);
    }
    // Steals a new reference and throws if it is null (a Python error is set).
    static Ref checked(PyObject* o) { return Ref(check(o)); }

    Ref(const Ref& o) : p_(o.p_) { Py_XINCREF(p_); }
    Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Ref& operator=(Ref o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Ref() { Py_XDECREF(p_); }

    PyObject* get() const { return p_; }
    PyObject* release() {
        PyObject* o = p_;
        p_ = nullptr;
        return o;
    }
    explicit operator bool() const { return p_ != nullptr; }
    operator PyObject*() const { return p_; }

private:
    explicit Ref(PyObject* o) : p_(o) {}
    PyObject* p_ = nullptr;
};

// Replaces an owned raw field with a new reference to `value` (None when value is null).
inline void setRef(PyObject*& field, PyObject* value) {
    PyObject* old = field;
    field = Py_NewRef(value ? value : Py_None);
    Py_XDECREF(old);
}

// A borrowed reference to the object, or None for a null field.
inline PyObject* orNone(PyObject* o) { return o ? o : Py_None; }
inline PyObject* newRefOrNone(PyObject* o) { return Py_NewRef(o ? o : Py_None); }

// Runs `f`, translating C++ exceptions into a Python error and `fail` as the return value.
template <class F, class R = decltype(std::declval<F>()())>
R guardOr(R fail, F&& f) noexcept {
    try {
        return f();
    } catch (const PyError&) {
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    }
    return fail;
}
template <class F>
PyObject* guard(F&& f) noexcept {
    return guardOr<F, PyObject*>(nullptr, std::forward<F>(f));
}
template <class F>
int guardInt(F&& f) noexcept {
    return guardOr<F, int>(-1, std::forward<F>(f));
}

inline PyObject* none() { Py_RETURN_NONE; }
inline PyObject* boolean(bool b) { return Py_NewRef(b ? Py_True : Py_False); }

// Truth value of an object (throws on error).
inline bool truth(PyObject* o) { return check(PyObject_IsTrue(o)) != 0; }

// Conversions with the module's conventional errors.
int32_t toInt32(PyObject* o);    // TypeError for non-integers, OverflowError outside 32 bits
uint32_t toUInt32(PyObject* o);  // OverflowError for negative values or values above 32 bits
int64_t toInt64(PyObject* o);
double toDouble(PyObject* o);    // TypeError for non-numbers
// Requires a str and returns its UTF-8 bytes (valid while `o` lives).
const char* toUtf8(PyObject* o, const char* argName);

// Unpacks a sequence of exactly two items (ValueError otherwise).
std::pair<Ref, Ref> unpackPair(PyObject* seq);

// Reports the pending error as unraisable with the context "brovaline.<context>" and clears it.
void reportUnraisable(const char* context);

}  // namespace bv
