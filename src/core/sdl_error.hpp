// Raising the module's own exception types from native code.
#pragma once
#include "common/py.hpp"

namespace bv {

[[noreturn]] void throwEngineException(const char* msg);
[[noreturn]] void throwSdlException(const char* msg);
[[noreturn]] void throwLevelFormatException(PyObject* filename, const char* msg);

}  // namespace bv
