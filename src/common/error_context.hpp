// Errors that say where: a KeyError, TypeError or ValueError raised while reading one entry of a
// file is re-raised, same type, with the file and the entry in front of its message.
#pragma once
#include "py.hpp"

#include <string>

namespace bv {

// With a KeyError, TypeError or ValueError set: replaces it by one of the same type whose message
// begins with `where` ("'maps/a.lvl.json': sprites[2]"): "<where> has no 'key'" for a KeyError,
// "<where>: <message>" otherwise; the original becomes its cause. Any other error is left as it
// is. Throws PyError in every case.
[[noreturn]] void rethrowWithContext(const std::string& where);

// Raises `kind` (an exception class) with `message`; the pending error, if any, becomes its cause.
[[noreturn]] void raiseReplacingPending(PyObject* kind, const std::string& message);

// repr(obj) / str(obj) as UTF-8 ("'maps/a.lvl'"), or "?" when it has none; a pending error is kept.
std::string reprText(PyObject* obj);
std::string strText(PyObject* obj);

}  // namespace bv
