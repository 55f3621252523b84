// Type objects for native classes. An object struct starts with PyObject_HEAD (or derives from its
// base class's struct) and may define:
//   void refs(auto&& f)   calls f(field) for every owned PyObject* field (base class first);
//                         this gives the type cyclic GC (traverse and clear) and dealloc releases them
//   void construct()      runs once after the zeroed allocation (placement-new C++ members here)
//   void destroy()        releases native resources on deallocation
//   PyObject* weakrefs    (root classes only) makes instances weakly referenceable
#pragma once
#include "props.hpp"

#include <cstddef>
#include <initializer_list>
#include <type_traits>
#include <vector>

namespace bv {

struct ClassSpec {
    const char* name;  // without the module prefix
    Py_ssize_t basicsize;
    PyTypeObject* base = nullptr;
    const char* doc = nullptr;
    PyMethodDef* methods = nullptr;
    PyGetSetDef* getset = nullptr;
    initproc init = nullptr;
    newfunc tpNew = nullptr;  // defaults to the zeroing allocation that ignores its arguments
    destructor dealloc = nullptr;
    traverseproc traverse = nullptr;
    inquiry clear = nullptr;
    unsigned long flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    Py_ssize_t weaklistOffset = 0;  // offset of the weak reference list, 0 for none
    std::vector<PyType_Slot> extraSlots = {};
};

// Creates the heap type "brovaline.<name>". Throws PyError on failure.
PyTypeObject* createType(const ClassSpec& spec);

namespace detail {
template <class T>
concept HasRefs = requires(T* t) { t->refs([](PyObject*&) {}); };
template <class T>
concept HasConstruct = requires(T* t) { t->construct(); };
template <class T>
concept HasDestroy = requires(T* t) { t->destroy(); };
template <class T>
concept HasWeakrefs = requires(T* t) { t->weakrefs; };

template <class T>
int traverseT(PyObject* self, visitproc visit, void* arg) {
    int r = 0;
    reinterpret_cast<T*>(self)->refs([&](PyObject*& f) {
        if (!r && f) r = visit(f, arg);
    });
    if (!r) r = visit(reinterpret_cast<PyObject*>(Py_TYPE(self)), arg);
    return r;
}
template <class T>
int clearT(PyObject* self) {
    reinterpret_cast<T*>(self)->refs([](PyObject*& f) { Py_CLEAR(f); });
    return 0;
}
template <class T>
void deallocT(PyObject* self) {
    PyTypeObject* tp = Py_TYPE(self);
    if constexpr (HasRefs<T>) PyObject_GC_UnTrack(self);
    if constexpr (HasWeakrefs<T>) {
        if (reinterpret_cast<T*>(self)->weakrefs) PyObject_ClearWeakRefs(self);
    }
    if constexpr (HasDestroy<T>) reinterpret_cast<T*>(self)->destroy();
    if constexpr (HasRefs<T>) clearT<T>(self);
    tp->tp_free(self);
    Py_DECREF(tp);
}
template <class T>
PyObject* newT(PyTypeObject* type, PyObject*, PyObject*) {
    PyObject* self = type->tp_alloc(type, 0);
    if constexpr (HasConstruct<T>) {
        if (self) reinterpret_cast<T*>(self)->construct();
    }
    return self;
}
}  // namespace detail

// A class description with the size, allocation, deallocation and GC slots derived from the object struct T.
template <class T>
ClassSpec specFor(const char* name, PyTypeObject* base = nullptr) {
    ClassSpec s{name, Py_ssize_t(sizeof(T)), base};
    s.tpNew = detail::newT<T>;
    s.dealloc = detail::deallocT<T>;
    if constexpr (detail::HasRefs<T>) {
        s.traverse = detail::traverseT<T>;
        s.clear = detail::clearT<T>;
        s.flags |= Py_TPFLAGS_HAVE_GC;
    }
    // Root structs only (standard layout); subclasses inherit the offset from their base.
    if constexpr (detail::HasWeakrefs<T> && std::is_standard_layout_v<T>) {
        if (!base) s.weaklistOffset = Py_ssize_t(offsetof(T, weakrefs));
    }
    return s;
}

// Method table entries. `F` has the fast-call signature (self, args, nargs, kwnames).
#define BV_METHOD(name, fn, doc) \
    { name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fn)), METH_FASTCALL | METH_KEYWORDS, doc }
#define BV_METHOD_NOARGS(name, fn, doc) \
    { name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fn)), METH_NOARGS, doc }
#define BV_METHOD_O(name, fn, doc) \
    { name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fn)), METH_O, doc }
#define BV_METHODS_END \
    { nullptr, nullptr, 0, nullptr }

// The tables of a class whose methods or properties are spread over several files, joined into one
// null-terminated table. The table is never freed: the type object points into it for good.
template <class Entry>
    requires std::is_same_v<Entry, PyMethodDef> || std::is_same_v<Entry, PyGetSetDef>
Entry* joinTables(std::initializer_list<const Entry*> tables) {
    auto* joined = new std::vector<Entry>;
    for (const Entry* table : tables) {
        for (const Entry* e = table;; ++e) {
            if constexpr (std::is_same_v<Entry, PyMethodDef>) {
                if (!e->ml_name) break;
            } else {
                if (!e->name) break;
            }
            joined->push_back(*e);
        }
    }
    joined->push_back(Entry{});
    return joined->data();
}

}  // namespace bv
