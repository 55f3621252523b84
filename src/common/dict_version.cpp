#include "common/dict_version.hpp"

namespace bv {

#ifdef BV_DICT_VERSIONS
uint64_t dictsVersion() {
    // Changing a private dict draws the next version from the shared counter.
    static PyObject* probe = PyDict_New();
    static bool flip = false;
    flip = !flip;
    if (!probe || PyDict_SetItem(probe, Py_None, flip ? Py_True : Py_False) < 0) {
        PyErr_Clear();
        return 0;
    }
    return dictVersion(probe);
}

bool dictsUnchangedSince(uint64_t& reading) {
    static const uint64_t step = [] {
        uint64_t first = dictsVersion();
        return dictsVersion() - first;
    }();
    uint64_t now = dictsVersion();
    bool unchanged = reading != 0 && now != 0 && now == reading + step;
    reading = now;
    return unchanged;
}
#else
uint64_t dictsVersion() { return 0; }

bool dictsUnchangedSince(uint64_t& reading) {
    reading = 0;
    return false;
}
#endif

}  // namespace bv
