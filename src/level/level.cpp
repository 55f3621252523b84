// The Level class: construction, the grid accessors and the grid picture.
#include "level/level.hpp"

#include "common/overridable.hpp"
#include "common/klass.hpp"
#include "common/output.hpp"
#include "common/registry.hpp"

#include <cstdio>
#include <string>
#include <vector>

namespace bv {

PyTypeObject* LevelType;

namespace level_detail {

LevelObject* asLevel(PyObject* o) { return reinterpret_cast<LevelObject*>(o); }

PyObject* listOf(PyObject*& field) {
    if (!field || field == Py_None) {
        Ref l = Ref::checked(PyList_New(0));
        setRef(field, l);
    }
    return field;
}

PyObject* metadataOf(LevelObject* l) {
    if (!l->metadata || l->metadata == Py_None) {
        Ref d = Ref::checked(PyDict_New());
        setRef(l->metadata, d);
    }
    return l->metadata;
}

namespace {
// The picture character of each block type; other bytes print as "?".
constexpr const char* kCellPictures[level::kBlockTypeCount] = {"\u25A1", "\u25A0", "\u25E4",
                                                               "\u25E5", "\u25E3", "\u25E2"};
}  // namespace

void printGrid(LevelObject* l, bool wrapColumns) {
    const level::Grid& g = l->grid;
    std::string line = "    ";
    for (int32_t x = 0; x < g.width(); ++x) line += std::to_string(wrapColumns ? x % 10 : x) + " ";
    printLine(line);
    for (int32_t y = 0; y < g.height(); ++y) {
        char prefix[16];
        snprintf(prefix, sizeof prefix, "%3d ", int(y));
        line = prefix;
        for (int32_t x = 0; x < g.width(); ++x) {
            uint8_t type = g(x, y).type;
            line += type < level::kBlockTypeCount ? kCellPictures[type] : "?";
            line += ' ';
        }
        printLine(line);
    }
}

}  // namespace level_detail

Py_ssize_t levelTextureCount(const LevelObject* level) {
    PyObject* t = level->textureSurfaces;
    return t && PyTuple_Check(t) ? PyTuple_GET_SIZE(t) : 0;
}

SDL_Surface* levelTextureSurface(const LevelObject* level, Py_ssize_t index) {
    if (index < 0 || index >= levelTextureCount(level)) return nullptr;
    PyObject* t = PyTuple_GET_ITEM(level->textureSurfaces, index);
    if (!PyObject_TypeCheck(t, TextureType)) return nullptr;
    return reinterpret_cast<TextureObject*>(t)->surface;
}

namespace {

using namespace level_detail;

int Level_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("Level", 0, "filename", "assetsPath");
        PyObject* filename = a[0] && a[0] != Py_None ? a[0] : nullptr;
        PyObject* assetsPath = a[1] ? a[1] : Py_None;
        if (assetsPath != Py_None && !PyUnicode_Check(assetsPath)) throwArgType("assetsPath", "str", assetsPath);
        LevelObject* l = asLevel(self);
        Ref name;
        if (filename) {
            name = Ref::checked(PyOS_FSPath(filename));
            if (!PyUnicode_Check(name)) throwArgType("filename", "str", filename);
        } else {
            name = Ref::checked(PyUnicode_FromString("???"));
        }
        setRef(l->filename, name);
        setRef(l->assetsPath, assetsPath);
        if (filename) {
            if (assetsPath == Py_None) {
                Ref dir = callMethod(intern("dirname"), moduleGlobal("_ospath"), name.get());
                setRef(l->assetsPath, dir);
            }
            loadFromFile(self, name);
            return 0;
        }
        Ref size = Ref::checked(PyLong_FromLong(64));
        Ref checker = callObject(reinterpret_cast<PyObject*>(TextureType), size.get(), size.get());
        callMethod(intern("fillChecker"), checker.get());
        Ref table = Ref::checked(PyTuple_Pack(1, checker.get()));
        setRef(l->textureSurfaces, table);
        check(PyList_Append(listOf(l->textures), checker));
        initializeEmpty(self, 30, 30);
        return 0;
    });
}

level::Cell& cellAt(PyObject* self, PyObject* xo, PyObject* yo) {
    int32_t x = toInt32(xo), y = toInt32(yo);
    level::Grid& g = asLevel(self)->grid;
    level::Cell* c = g.find(x, y);
    if (!c) {
        PyErr_Format(PyExc_IndexError, "cell (%d, %d) is outside the %d x %d level", int(x), int(y), int(g.width()),
                     int(g.height()));
        throwPy();
    }
    return *c;
}

int cellByte(PyObject* o) {
    int32_t k = toInt32(o);
    if (k < 0 || k >= level::kCellBytes) {
        PyErr_Format(PyExc_IndexError, "cell byte %d is outside 0..6", int(k));
        throwPy();
    }
    return k;
}

PyObject* Level_getSize(PyObject* self, PyObject*) {
    return guard([&] {
        PyObject* md = metadataOf(asLevel(self));
        Ref w = Ref::checked(PyObject_GetItem(md, intern("width")));
        Ref h = Ref::checked(PyObject_GetItem(md, intern("height")));
        return check(PyTuple_Pack(2, w.get(), h.get()));
    });
}

PyObject* Level_getBlock(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("getBlock", 2, "x", "y");
        return PyLong_FromLong(cellAt(self, a[0], a[1]).type);
    });
}

PyObject* Level_setBlock(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("setBlock", 3, "blockType", "x", "y");
        uint8_t type = uint8_t(toInt32(a[0]) & 0xFF);
        cellAt(self, a[1], a[2]).type = type;
        return none();
    });
}

PyObject* Level_getTextureIndex(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("getTextureIndex", 3, "cardinalDirection", "x", "y");
        int k = cellByte(a[0]);
        return PyLong_FromLong(cellAt(self, a[1], a[2]).byte(k));
    });
}

PyObject* Level_setTextureIndex(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("setTextureIndex", 4, "textureIndex", "cardinalDirection", "x", "y");
        uint8_t index = uint8_t(toInt32(a[0]) & 0xFF);
        int k = cellByte(a[1]);
        cellAt(self, a[2], a[3]).byte(k) = index;
        return none();
    });
}

PyObject* Level_getTexture(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&]() -> PyObject* {
        BV_PARSE("getTexture", 3, "cardinalDirection", "x", "y");
        int k = cellByte(a[0]);
        Py_ssize_t index = cellAt(self, a[1], a[2]).byte(k);
        PyObject* textures = listOf(asLevel(self)->textures);
        Py_ssize_t n = PyObject_Length(textures);
        if (n < 0) throwPy();
        if (index >= n) return none();
        return PySequence_GetItem(textures, index);
    });
}

PyObject* Level_printLevel(PyObject* self, PyObject*) {
    return guard([&] {
        printGrid(asLevel(self), true);
        return none();
    });
}

PyObject* Level_width(PyObject* self, void*) { return PyLong_FromLong(asLevel(self)->grid.width()); }
PyObject* Level_height(PyObject* self, void*) { return PyLong_FromLong(asLevel(self)->grid.height()); }
PyObject* Level_metadata(PyObject* self, void*) { return guard([&] { return Py_NewRef(metadataOf(asLevel(self))); }); }

PyMethodDef coreMethods[] = {
    BV_METHOD_NOARGS("getSize", Level_getSize, "Returns the size of the level in blocks."),
    BV_METHOD("getBlock", Level_getBlock, "The block type of cell (x, y)."),
    BV_METHOD("setBlock", Level_setBlock, "Sets the block type of cell (x, y) (low 8 bits)."),
    BV_METHOD("getTextureIndex", Level_getTextureIndex, "Byte `cardinalDirection` of cell (x, y)."),
    BV_METHOD("setTextureIndex", Level_setTextureIndex, "Sets byte `cardinalDirection` of cell (x, y) (low 8 bits)."),
    BV_METHOD("getTexture", Level_getTexture, "The texture a face of cell (x, y) refers to, or None."),
    BV_METHOD_NOARGS("printLevel", Level_printLevel, "Prints the grid as text."),
    BV_METHODS_END,
};

PyTypeObject* dictType = &PyDict_Type;

// The grid size is fixed at construction, so the raw size fields are read-only too.
PyGetSetDef coreProps[] = {
    computed("width", Level_width),
    computed("height", Level_height),
    computed("metadata", Level_metadata, "The JSON header (the object itself)."),
    computed("_width", Level_width),
    computed("_height", Level_height),
    rwTyped<&LevelObject::metadata, &dictType>("_metadata"),
    propsEnd(),
};

ClassRegistration reg("Level", [] {
    ClassSpec spec = specFor<LevelObject>("Level", ResourceType);
    spec.doc = "A grid level with its textures, sprites, fog settings and entities, stored as a file pair.";
    spec.methods = joinTables<PyMethodDef>({coreMethods, fileMethods, assetMethods, entityMethods});
    spec.getset = joinTables<PyGetSetDef>({coreProps, assetProps});
    spec.init = Level_init;
    return LevelType = createType(spec);
});

}  // namespace

}  // namespace bv
