// Dict version tags: every change to a dict gives it a new version, drawn from one counter that only
// grows, so two equal readings of a dict (or of the counter) mean nothing changed in between.
// Interpreters without the tags leave BV_DICT_VERSIONS undefined.
#pragma once
#include "common/py.hpp"

#include <cstdint>

namespace bv {

#if PY_VERSION_HEX < 0x030E0000
#define BV_DICT_VERSIONS 1
_Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wdeprecated-declarations\"")
inline uint64_t dictVersion(PyObject* d) { return reinterpret_cast<PyDictObject*>(d)->ma_version_tag; }
_Pragma("GCC diagnostic pop")
#endif

// A reading of the counter behind every dict's version (taking it changes a private dict).
uint64_t dictsVersion();
// True when no dict has changed since `reading` was taken (by dictsVersion or by this call), which it
// renews. Always false without version tags.
bool dictsUnchangedSince(uint64_t& reading);

}  // namespace bv
