// The level constants: block types, cell byte offsets and the grid picture characters.
#include "common/registry.hpp"
#include "level/grid.core.hpp"

namespace bv {

namespace {

StartupStep levelConstants(Startup::LevelConstants, [](PyObject* module) {
    using namespace level;
    const std::pair<const char*, int> constants[] = {
        {"BLOCK_EMPTY", BLOCK_EMPTY},
        {"BLOCK_SQUARE", BLOCK_SQUARE},
        {"BLOCK_TRIANGLE_NORTH_WEST", BLOCK_TRIANGLE_NORTH_WEST},
        {"BLOCK_TRIANGLE_NORTH_EAST", BLOCK_TRIANGLE_NORTH_EAST},
        {"BLOCK_TRIANGLE_SOUTH_EAST", BLOCK_TRIANGLE_SOUTH_EAST},
        {"BLOCK_TRIANGLE_SOUTH_WEST", BLOCK_TRIANGLE_SOUTH_WEST},
        {"TEXTURE_FLOOR", TEXTURE_FLOOR},
        {"TEXTURE_CEILING", TEXTURE_CEILING},
        {"TEXTURE_NORTH", TEXTURE_NORTH},
        {"TEXTURE_EAST", TEXTURE_EAST},
        {"TEXTURE_SOUTH", TEXTURE_SOUTH},
        {"TEXTURE_WEST", TEXTURE_WEST},
    };
    for (auto& [name, value] : constants) check(PyModule_AddIntConstant(module, name, value));
    Ref cells = Ref::checked(Py_BuildValue("[ssssss]", "\u25A1", "\u25A0", "\u25E4", "\u25E5", "\u25E3", "\u25E2"));
    check(PyModule_AddObjectRef(module, "ASCII_CELLS", cells));
});

}  // namespace

}  // namespace bv
