// The level's entities: loading them from the header, moving them to and from an Ecs, and writing
// them back into the header.
#include "common/error_context.hpp"
#include "common/overridable.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/output.hpp"
#include "common/registry.hpp"
#include "ecs/ecs.hpp"
#include "level/level.hpp"

#include <cmath>

namespace bv {
namespace level_detail {

namespace {

PyObject* global(const char* name) {
    PyObject* g = moduleGlobal(name);
    if (!g) {
        PyErr_Format(PyExc_RuntimeError, "brovaline.%s is not defined", name);
        throwPy();
    }
    return g;
}

PyObject* entitiesOf(PyObject* self) { return listOf(asLevel(self)->entities); }

// obj.<name>, or null when it has no such attribute.
Ref optionalAttr(PyObject* obj, PyObject* name) {
    Ref v = Ref::steal(PyObject_GetAttr(obj, name));
    if (!v) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throwPy();
        PyErr_Clear();
    }
    return v;
}

Ref createComponent(PyObject* self, PyObject* name, PyObject* record) {
    PyObject* registry = global("_COMPONENTS");
    if (!check(PySequence_Contains(registry, name))) {
        Ref text = Ref::checked(PyObject_Str(name));
        Ref line = Ref::checked(PyUnicode_FromFormat("unknown component type '%U'", text.get()));
        printLine(line.get());
        Ref className = Ref::checked(PyUnicode_FromFormat("_Component_%U", text.get()));
        Ref bases = Ref::checked(PyTuple_Pack(1, global("DummyComponent")));
        Ref body = Ref::checked(Py_BuildValue("{s:s}", "__module__", "brovaline"));
        Ref cls = callObject(reinterpret_cast<PyObject*>(&PyType_Type), className.get(), bases.get(), body.get());
        check(PyObject_SetItem(registry, name, cls));
        check(PyObject_SetItem(registry, cls, name));
    }
    Ref cls = Ref::checked(PyObject_GetItem(registry, name));
    Ref c = callObject(cls.get());
    if (optionalAttr(c, intern("loadFromDict")))
        callMethod(intern("loadFromDict"), c.get(), self, record);
    else
        callMethod(intern("_loadFromDict"), self, c.get(), record);
    return c;
}

// A record's value for messages, cut short: "{'x': 1, 'y': 2}".
std::string valueText(PyObject* value) {
    constexpr size_t kLongest = 60;
    std::string text = reprText(value);
    return text.size() <= kLongest ? text : text.substr(0, kLongest - 3) + "...";
}

// The key and value of an entity entry being read, named in the report when it fails.
struct EntryPlace {
    Ref key, value;
};

Ref loadEntity(PyObject* self, PyObject* entity, EntryPlace& place) {
    if (!PyDict_Check(entity)) {
        PyErr_Format(PyExc_TypeError, "an entity entry must be a JSON object, got %.200s", Py_TYPE(entity)->tp_name);
        throwPy();
    }
    Ref keys = Ref::checked(PyDict_Keys(entity));
    Ref args = Ref::checked(PyList_New(1));
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(keys.get()); ++i) {
        PyObject* key = PyList_GET_ITEM(keys.get(), i);
        if (PyUnicode_Check(key) && PyUnicode_CompareWithASCIIString(key, "id") == 0) continue;
        Ref record = Ref::checked(PyObject_GetItem(entity, key));
        place = {Ref::borrow(key), record};
        Ref c = callMethod(intern("createComponent"), self, key, record.get());
        check(PyList_Append(args, c));
    }
    PyObject* idValue = PyDict_GetItemWithError(entity, intern("id"));
    if (!idValue && PyErr_Occurred()) throwPy();
    place = idValue ? EntryPlace{Ref::borrow(intern("id")), Ref::borrow(idValue)} : EntryPlace{};
    // int() of the id, but a fractional id is refused rather than truncated.
    if (idValue && PyFloat_Check(idValue)) {
        double d = PyFloat_AS_DOUBLE(idValue);
        if (d != std::trunc(d)) {
            PyErr_SetString(PyExc_ValueError, "Entity ID must be int");
            throwPy();
        }
    }
    Ref id = idValue ? Ref::checked(PyNumber_Long(idValue)) : Ref::checked(PyLong_FromLong(-1));
    PyList_SET_ITEM(args.get(), 0, id.release());
    Ref tuple = Ref::checked(PyList_AsTuple(args));
    Ref ent = Ref::checked(PyObject_Call(reinterpret_cast<PyObject*>(EntityType), tuple, nullptr));
    check(PyList_Append(entitiesOf(self), ent));
    return ent;
}

// Generic conversion of an object to JSON-like data: attribute dicts and dicts become dicts without
// "_" keys, other iterables (but strings) lists, anything else stays.
Ref dumpToDict(PyObject* obj) {
    if (Py_EnterRecursiveCall(" while dumping a component")) throwPy();
    struct Leave {
        ~Leave() { Py_LeaveRecursiveCall(); }
    } leave;
    Ref o = optionalAttr(obj, intern("__dict__"));
    if (!o) o = Ref::borrow(obj);
    if (PyDict_CheckExact(o)) {
        Ref out = Ref::checked(PyDict_New());
        Ref items = Ref::checked(PyDict_Items(o));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
            PyObject* key = PyTuple_GET_ITEM(PyList_GET_ITEM(items.get(), i), 0);
            PyObject* value = PyTuple_GET_ITEM(PyList_GET_ITEM(items.get(), i), 1);
            if (PyUnicode_Check(key) && PyUnicode_GET_LENGTH(key) > 0 && PyUnicode_READ_CHAR(key, 0) == '_') continue;
            Ref v = dumpToDict(value);
            check(PyDict_SetItem(out, key, v));
        }
        return out;
    }
    if (PyUnicode_CheckExact(o)) return o;
    Ref it = Ref::steal(PyObject_GetIter(o));
    if (!it) {
        if (!PyErr_ExceptionMatches(PyExc_TypeError)) throwPy();
        PyErr_Clear();
        return o;
    }
    Ref out = Ref::checked(PyList_New(0));
    while (Ref item = Ref::steal(PyIter_Next(it))) {
        Ref v = dumpToDict(item);
        check(PyList_Append(out, v));
    }
    if (PyErr_Occurred()) throwPy();
    return out;
}

// The record name of a component: its registered name (or `typeName` for a bare DummyComponent).
Ref componentName(PyObject* component) {
    PyObject* cls = reinterpret_cast<PyObject*>(Py_TYPE(component));
    if (cls == global("DummyComponent")) {
        Ref name = optionalAttr(component, intern("typeName"));
        if (name) return name;
    }
    PyObject* registry = global("_COMPONENTS");
    Ref name = Ref::steal(PyObject_GetItem(registry, cls));
    if (!name) {
        if (!PyErr_ExceptionMatches(PyExc_KeyError)) throwPy();
        PyErr_Clear();
        PyErr_Format(PyExc_KeyError, "component class %.200s is not registered (use the component decorator)",
                     Py_TYPE(component)->tp_name);
        throwPy();
    }
    return name;
}

Ref entityRecord(PyObject* self, PyObject* entity) {
    Ref record = Ref::checked(PyDict_New());
    Ref id = Ref::checked(PyObject_GetAttr(entity, intern("id")));
    check(PyDict_SetItem(record, intern("id"), id));
    Ref components = callMethod(intern("getComponents"), entity);
    Ref list = Ref::checked(PySequence_List(components));
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(list.get()); ++i) {
        PyObject* c = PyList_GET_ITEM(list.get(), i);
        Ref name = componentName(c);
        Ref data;
        if (PyObject_HasAttr(c, intern("dumpToDict")))
            data = callMethod(intern("dumpToDict"), c, self);
        else
            data = dumpToDict(c);
        check(PyObject_SetItem(record, name, data));
    }
    return record;
}

void checkEntity(PyObject* entity) { checkArg(entity, EntityType, "entity", false); }

PyObject* Level_createComponent(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("createComponent", 2, "componentName", "component");
        return createComponent(self, a[0], a[1]).release();
    });
}

PyObject* Level_addEntity(PyObject* self, PyObject* entity) {
    return guard([&] {
        checkEntity(entity);
        check(PyList_Append(entitiesOf(self), entity));
        return none();
    });
}

PyObject* Level_removeEntity(PyObject* self, PyObject* entity) {
    return guard([&] { return callMethod(intern("remove"), entitiesOf(self), entity).release(); });
}

PyObject* Level_removeAllEntities(PyObject* self, PyObject*) {
    return guard([&] {
        PyObject* list = entitiesOf(self);
        check(PyList_SetSlice(list, 0, PyList_GET_SIZE(list), nullptr));
        return none();
    });
}

PyObject* Level_getEntities(PyObject* self, PyObject* types) {
    return guard([&] {
        PyObject* list = entitiesOf(self);
        Py_ssize_t nTypes = PyTuple_GET_SIZE(types);
        if (nTypes == 0) return Py_NewRef(list);
        Ref items = Ref::checked(PyList_GetSlice(list, 0, PyList_GET_SIZE(list)));
        Ref out = Ref::checked(PyList_New(0));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
            PyObject* e = PyList_GET_ITEM(items.get(), i);
            Ref components = Ref::checked(PyObject_GetAttr(e, intern("_components")));
            bool all = true;
            for (Py_ssize_t t = 0; all && t < nTypes; ++t)
                all = check(PySequence_Contains(components, PyTuple_GET_ITEM(types, t)));
            if (all) check(PyList_Append(out, e));
        }
        return out.release();
    });
}

PyObject* Level_syncEntitiesToEcs(PyObject* self, PyObject* ecs) {
    return guard([&] {
        Ref items = Ref::checked(PySequence_List(entitiesOf(self)));
        callMethod(intern("removeAllEntities"), ecs);
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i)
            callMethod(intern("addEntity"), ecs, PyList_GET_ITEM(items.get(), i));
        return none();
    });
}

PyObject* Level_syncEntitiesFromEcs(PyObject* self, PyObject* ecs) {
    return guard([&] {
        Ref entities = callMethod(intern("getEntities"), ecs);
        Ref items = Ref::checked(PySequence_List(entities));
        callMethod(intern("removeAllEntities"), self);
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i)
            callMethod(intern("addEntity"), self, PyList_GET_ITEM(items.get(), i));
        return none();
    });
}

PyObject* Level_addEntityFromJson(PyObject* self, PyObject* entity) {
    return guard([&] {
        Ref list = Ref::checked(PyObject_GetItem(metadataOf(asLevel(self)), intern("entities")));
        callMethod(intern("append"), list.get(), entity);
        return none();
    });
}

PyObject* Level_removeEntityFromJson(PyObject* self, PyObject* entity) {
    return guard([&] {
        PyObject* entities = entitiesOf(self);
        Ref index = callMethod(intern("index"), entities, entity);
        Ref records = Ref::checked(PyObject_GetItem(metadataOf(asLevel(self)), intern("entities")));
        // Both lists are checked before either changes, so they stay in step.
        Py_ssize_t i = PyLong_AsSsize_t(index);
        if (i == -1 && PyErr_Occurred()) throwPy();
        Py_ssize_t n = PyObject_Length(records);
        if (n < 0) throwPy();
        if (i >= n) {
            PyErr_Format(PyExc_IndexError, "the header has no entity record at position %zd", i);
            throwPy();
        }
        check(PySequence_DelItem(entities, i));
        check(PySequence_DelItem(records, i));
        return none();
    });
}

PyObject* Level_updateEntityMetadata(PyObject* self, PyObject*) {
    return guard([&] {
        Ref items = Ref::checked(PySequence_List(entitiesOf(self)));
        Ref records = Ref::checked(PyList_New(0));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
            Ref record = entityRecord(self, PyList_GET_ITEM(items.get(), i));
            check(PyList_Append(records, record));
        }
        check(PyObject_SetItem(metadataOf(asLevel(self)), intern("entities"), records));
        return none();
    });
}

PyObject* Level_dumpToDict(PyObject*, PyObject* obj) {
    return guard([&] { return dumpToDict(obj).release(); });
}

PyObject* Level_loadFromDict(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("_loadFromDict", 2, "component", "input");
        Ref attrs = Ref::checked(PyObject_GetAttr(a[0], intern("__dict__")));
        Ref items = Ref::checked(PyMapping_Items(a[1]));
        for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
            PyObject* item = PyList_GET_ITEM(items.get(), i);
            check(PyObject_SetItem(attrs, PyTuple_GET_ITEM(item, 0), PyTuple_GET_ITEM(item, 1)));
        }
        return none();
    });
}

}  // namespace

// Each record that cannot be built is reported on its own, naming the header file, the entry and
// the key and value at fault; the records after it still load.
void loadEntities(PyObject* self) {
    Ref items;
    try {
        PyObject* md = metadataOf(asLevel(self));
        if (!check(PySequence_Contains(md, intern("entities")))) return;
        Ref list = Ref::checked(PyObject_GetItem(md, intern("entities")));
        items = Ref::checked(PySequence_List(list));
    } catch (const PyError&) {
        reportWithContext(headerName(asLevel(self)) + ": entities", "Level._loadEntities");
        return;
    }
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
        EntryPlace place;
        try {
            loadEntity(self, PyList_GET_ITEM(items.get(), i), place);
        } catch (const PyError&) {
            std::string where = headerName(asLevel(self)) + ": entities[" + std::to_string(i) + "]";
            if (place.key) where += "[" + reprText(place.key.get()) + "] = " + valueText(place.value.get());
            reportWithContext(where, "Level._loadEntities");
        }
    }
}

PyMethodDef entityMethods[] = {
    BV_METHOD("createComponent", Level_createComponent, "Builds one component from its name and level-file record."),
    BV_METHOD_ARG("addEntity", Level_addEntity, "entity", "Appends an entity to the level."),
    BV_METHOD_ARG("removeEntity", Level_removeEntity, "entity", "Removes an entity from the level (ValueError if absent)."),
    BV_METHOD_NOARGS("removeAllEntities", Level_removeAllEntities, "Removes every entity from the level."),
    {"getEntities", Level_getEntities, METH_VARARGS,
     "The level's entity list, or a new list of the entities having all given component classes."},
    BV_METHOD_ARG("syncEntitiesToEcs", Level_syncEntitiesToEcs, "ecs", "Replaces the Ecs's entities by the level's."),
    BV_METHOD_ARG("syncEntitiesFromEcs", Level_syncEntitiesFromEcs, "ecs", "Replaces the level's entities by the Ecs's."),
    BV_METHOD_ARG("addEntityFromJson", Level_addEntityFromJson, "entity", "Appends an entity record to the header."),
    BV_METHOD_ARG("removeEntityFromJson", Level_removeEntityFromJson, "entity",
                "Removes an entity from the level and its record from the header."),
    BV_METHOD_NOARGS("_updateEntityMetadata", Level_updateEntityMetadata,
                     "Rewrites the header's entity records from the level's entities."),
    BV_METHOD_ARG("_dumpToDict", Level_dumpToDict, "obj", "Converts a component to plain data."),
    BV_METHOD("_loadFromDict", Level_loadFromDict, "Sets each entry of a record as an attribute of a component."),
    BV_METHODS_END,
};

}  // namespace level_detail
}  // namespace bv
