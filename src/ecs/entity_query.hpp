// Ecs.getEntities(*types): a lazy iterator over the entity list that yields, in list order, each entity
// whose component keys contain every given class, reading each entity as it is when reached.
#pragma once
#include "common/py.hpp"

namespace bv {

// The iterator over `entities` (an exact list) for the classes of the tuple `types`.
PyObject* newEntityQuery(PyObject* entities, PyObject* types);
// True when `o` is a class that hashes and compares like `type` does: by identity.
bool plainClass(PyObject* o);
// True when every key of the dict is such a class.
bool plainKeys(PyObject* dict);
// True when `entity` is an Entity whose `_components` reads the native field without running Python code.
bool isPlainEntity(PyObject* entity);

}  // namespace bv
