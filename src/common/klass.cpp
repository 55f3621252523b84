// createType: heap types from a ClassSpec, and the slots every native class shares.
#include "klass.hpp"

#include <structmember.h>

#include <memory>
#include <string>

namespace bv {

int refuseDelete() {
    PyErr_SetString(PyExc_NotImplementedError, "__del__");
    return -1;
}

int readOnlySetter(PyObject* self, PyObject* value, void* name) {
    if (!value) return refuseDelete();
    PyErr_Format(PyExc_AttributeError, "attribute '%s' of '%s' objects is not writable", static_cast<const char*>(name),
                 Py_TYPE(self)->tp_name);
    return -1;
}

PyTypeObject* createType(const ClassSpec& spec) {
    std::vector<PyType_Slot> slots;
    auto add = [&](int slot, auto* fn) {
        if (fn) slots.push_back({slot, reinterpret_cast<void*>(fn)});
    };
    add(Py_tp_new, spec.tpNew);
    add(Py_tp_init, spec.init);
    add(Py_tp_dealloc, spec.dealloc);
    add(Py_tp_traverse, spec.traverse);
    add(Py_tp_clear, spec.clear);
    add(Py_tp_methods, spec.methods);
    add(Py_tp_getset, spec.getset);
    if (spec.doc) slots.push_back({Py_tp_doc, const_cast<char*>(spec.doc)});
    static std::vector<std::unique_ptr<PyMemberDef[]>> members;
    if (spec.weaklistOffset) {
        members.emplace_back(new PyMemberDef[2]{{"__weaklistoffset__", T_PYSSIZET, spec.weaklistOffset, READONLY, nullptr},
                                                {nullptr, 0, 0, 0, nullptr}});
        slots.push_back({Py_tp_members, members.back().get()});
    }
    for (const PyType_Slot& s : spec.extraSlots) slots.push_back(s);
    slots.push_back({0, nullptr});

    // PyType_Spec names must outlive their types: keep the qualified names in static storage.
    static std::vector<std::unique_ptr<std::string>> names;
    names.push_back(std::make_unique<std::string>(std::string("brovaline.") + spec.name));

    PyType_Spec ts{names.back()->c_str(), int(spec.basicsize), 0, static_cast<unsigned>(spec.flags), slots.data()};
    Ref bases;
    if (spec.base) bases = Ref::checked(PyTuple_Pack(1, reinterpret_cast<PyObject*>(spec.base)));
    return reinterpret_cast<PyTypeObject*>(check(PyType_FromSpecWithBases(&ts, bases.get())));
}

}  // namespace bv
