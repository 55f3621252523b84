// Property (getset) builders. Every setter refuses deletion with NotImplementedError("__del__");
// read-only properties raise AttributeError on assignment.
#pragma once
#include "convert_fields.hpp"
#include "mutation_epoch.hpp"

namespace bv {

int refuseDelete();
int readOnlySetter(PyObject* self, PyObject* value, void* name);

namespace detail {
template <class T, class F, F T::*M>
PyObject* getField(PyObject* self, void*) {
    return guard([&] { return FieldCodec<F>::get(reinterpret_cast<T*>(self)->*M); });
}
template <class T, class F, F T::*M>
int setField(PyObject* self, PyObject* value, void*) {
    if (!value) return refuseDelete();
    return guardInt([&] {
        FieldCodec<F>::set(reinterpret_cast<T*>(self)->*M, value);
        return 0;
    });
}
template <class T, class F, F T::*M>
int setFieldNoted(PyObject* self, PyObject* value, void* closure) {
    int result = setField<T, F, M>(self, value, closure);
    if (result == 0) noteMutation();
    return result;
}
template <class T, PyObject* T::*M, PyTypeObject** Type>
int setTypedObject(PyObject* self, PyObject* value, void* name) {
    if (!value) return refuseDelete();
    return guardInt([&] {
        if (value != Py_None && !PyObject_TypeCheck(value, *Type)) throwArgType(static_cast<const char*>(name), *Type, value);
        setRef(reinterpret_cast<T*>(self)->*M, value);
        return 0;
    });
}
}  // namespace detail

// A read-write property over field `M` of struct `T`, converted by FieldCodec.
template <auto M>
struct FieldTraits;
template <class T, class F, F T::*M>
struct FieldTraits<M> {
    using Owner = T;
    using Type = F;
};

template <auto M>
constexpr PyGetSetDef rw(const char* name, const char* doc = nullptr) {
    using Tr = FieldTraits<M>;
    return {name, detail::getField<typename Tr::Owner, typename Tr::Type, M>,
            detail::setField<typename Tr::Owner, typename Tr::Type, M>, doc, const_cast<char*>(name)};
}
// rw whose writes advance the mutation epoch (state that places or shapes a collision body).
template <auto M>
constexpr PyGetSetDef rwNoted(const char* name, const char* doc = nullptr) {
    using Tr = FieldTraits<M>;
    return {name, detail::getField<typename Tr::Owner, typename Tr::Type, M>,
            detail::setFieldNoted<typename Tr::Owner, typename Tr::Type, M>, doc, const_cast<char*>(name)};
}
template <auto M>
constexpr PyGetSetDef ro(const char* name, const char* doc = nullptr) {
    using Tr = FieldTraits<M>;
    return {name, detail::getField<typename Tr::Owner, typename Tr::Type, M>, readOnlySetter, doc,
            const_cast<char*>(name)};
}
// A read-write object property that accepts only instances of *Type (or None).
template <auto M, PyTypeObject** Type>
constexpr PyGetSetDef rwTyped(const char* name, const char* doc = nullptr) {
    using Tr = FieldTraits<M>;
    return {name, detail::getField<typename Tr::Owner, PyObject*, M>,
            detail::setTypedObject<typename Tr::Owner, M, Type>, doc, const_cast<char*>(name)};
}
// A computed read-only property.
constexpr PyGetSetDef computed(const char* name, getter get, const char* doc = nullptr) {
    return {name, get, readOnlySetter, doc, const_cast<char*>(name)};
}
namespace detail {
template <setter S>
int nonDeleting(PyObject* self, PyObject* value, void* closure) {
    if (!value) return refuseDelete();
    return S(self, value, closure);
}
}  // namespace detail
// A computed read-write property: `S` is called only with a value, never for a deletion.
template <setter S>
constexpr PyGetSetDef computed(const char* name, getter get, const char* doc = nullptr) {
    return {name, get, detail::nonDeleting<S>, doc, const_cast<char*>(name)};
}
constexpr PyGetSetDef propsEnd() { return {nullptr, nullptr, nullptr, nullptr, nullptr}; }

}  // namespace bv
