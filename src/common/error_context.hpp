// Errors that say where: a KeyError, IndexError, TypeError or ValueError raised while reading one
// entry of a file is re-raised, same type, with the file and the entry in front of its message;
// any other error keeps its message and gets the entry as a note.
#pragma once
#include "py.hpp"

#include <string>

namespace bv {

// With a KeyError, IndexError, TypeError or ValueError set: replaces it by one of the same type
// whose message begins with `where` ("'maps/a.lvl.json': sprites[2]"): "<where> has no 'key'"
// for a KeyError, "<where>: <message>" otherwise; the original becomes its cause. Any other error
// keeps its type and message and gets "in <where>" as a note (shown under its traceback). Throws
// PyError in every case.
[[noreturn]] void rethrowWithContext(const std::string& where);

// For errors a loader reports and gets past: the pending error, given `where` as by
// rethrowWithContext, is reported as unraisable in "brovaline.<context>".
void reportWithContext(const std::string& where, const char* context);

// Raises `kind` (an exception class) with `message`; the pending error, if any, becomes its cause.
[[noreturn]] void raiseReplacingPending(PyObject* kind, const std::string& message);

// repr(obj) / str(obj) as UTF-8 ("'maps/a.lvl'"), or "?" when it has none; a pending error is kept.
std::string reprText(PyObject* obj);
std::string strText(PyObject* obj);

}  // namespace bv
