// The level file pair: the raw grid file and its JSON header ("<grid file>.json").
#include "common/overridable.hpp"
#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/output.hpp"
#include "common/registry.hpp"
#include "core/sdl_error.hpp"
#include "level/level.hpp"

#include <cstring>
#include <string>

namespace bv {
namespace level_detail {

namespace {

PyObject* jsonModule() {
    PyObject* json = moduleGlobal("_json");
    if (!json) {
        PyErr_SetString(PyExc_RuntimeError, "the json module is not loaded");
        throwPy();
    }
    return json;
}

// A file name given as str or os.PathLike, as str.
Ref fileNameArg(PyObject* filename) {
    Ref name = Ref::checked(PyOS_FSPath(filename));
    if (!PyUnicode_Check(name)) throwArgType("filename", "str", filename);
    return name;
}

Ref withSuffix(PyObject* filename, const char* suffix) {
    return Ref::checked(PyUnicode_FromFormat("%U%s", filename, suffix));
}

// open(path, mode, ...) and the result of `action(file)`, closing the file in every case.
template <class F>
Ref withFile(PyObject* path, const char* mode, F&& action) {
    static PyObject* open = PyDict_GetItemString(PyEval_GetBuiltins(), "open");
    Ref modeStr = Ref::checked(PyUnicode_FromString(mode));
    Ref file;
    if (strchr(mode, 'b')) {
        file = callObject(open, path, modeStr.get());
    } else {
        Ref kwargs = Ref::checked(Py_BuildValue("{s:s}", "encoding", "utf-8"));
        Ref args = Ref::checked(PyTuple_Pack(2, path, modeStr.get()));
        file = Ref::checked(PyObject_Call(open, args, kwargs));
    }
    Ref result;
    try {
        result = action(file.get());
    } catch (const PyError&) {
        PyObject *type, *value, *tb;
        PyErr_Fetch(&type, &value, &tb);
        PyObject* r = PyObject_CallMethod(file, "close", nullptr);
        Py_XDECREF(r);
        PyErr_Restore(type, value, tb);  // the first error wins
        throw;
    }
    callMethod(intern("close"), file.get());
    return result;
}

// Reads a header int, refusing values that are not positive or too large for a grid.
int64_t headerDimension(PyObject* filename, PyObject* value, const char* name) {
    int overflow = 0;
    long long v = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (v == -1 && PyErr_Occurred()) throwPy();
    if (overflow > 0 || v > level::kMaxCells) {
        std::string msg = std::string("The '") + name + "' property is too large";
        throwLevelFormatException(filename, msg.c_str());
    }
    if (overflow < 0 || v <= 0) {
        std::string msg = std::string("The '") + name + "' property must be positive";
        throwLevelFormatException(filename, msg.c_str());
    }
    return v;
}

struct Size {
    int32_t width, height;
};

// Parses and checks the header text into the metadata; returns the grid size.
Size loadMetadata(PyObject* self, PyObject* filename, PyObject* header) {
    LevelObject* l = asLevel(self);
    PyObject* metadata = metadataOf(l);
    if (PyDict_Check(metadata))
        PyDict_Clear(metadata);
    else
        callMethod(intern("clear"), metadata);

    Ref parsed = Ref::steal(PyObject_CallMethod(jsonModule(), "loads", "O", header));
    if (!parsed) {
        if (!PyErr_ExceptionMatches(PyExc_ValueError)) throwPy();
        PyObject *type, *value, *tb;
        PyErr_Fetch(&type, &value, &tb);
        PyErr_NormalizeException(&type, &value, &tb);
        Ref t = Ref::steal(type), v = Ref::steal(value), trace = Ref::steal(tb);
        Ref text = Ref::checked(PyObject_Str(v.get()));
        std::string msg = std::string("Invalid JSON header: ") + toUtf8(text, "error");
        throwLevelFormatException(filename, msg.c_str());
    }
    if (!PyDict_Check(parsed)) throwLevelFormatException(filename, "The header must be a JSON object");
    PyObject* width = PyDict_GetItemString(parsed, "width");
    PyObject* height = PyDict_GetItemString(parsed, "height");
    if (!width) throwLevelFormatException(filename, "The 'width' property is required");
    if (!height) throwLevelFormatException(filename, "The 'height' property is required");
    if (!PyLong_CheckExact(width)) throwLevelFormatException(filename, "The 'width' property requires an int value");
    if (!PyLong_CheckExact(height)) throwLevelFormatException(filename, "The 'height' property requires an int value");
    int64_t w = headerDimension(filename, width, "width");
    int64_t h = headerDimension(filename, height, "height");
    if (!level::Grid::validSize(w, h)) {
        std::string msg = "The level is too large: " + std::to_string(w) + " x " + std::to_string(h) +
                          " cells, at most " + std::to_string(level::kMaxCells) + " are allowed";
        throwLevelFormatException(filename, msg.c_str());
    }
    check(PyDict_Update(metadata, parsed));
    return {int32_t(w), int32_t(h)};
}

PyObject* Level_loadMetadata(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("_loadMetadata", 2, "filename", "header");
        loadMetadata(self, a[0], a[1]);
        return none();
    });
}

PyObject* Level_loadFromFile(PyObject* self, PyObject* filenameArg) {
    return guard([&] {
        Ref filename = fileNameArg(filenameArg);
        loadFromFile(self, filename);
        return none();
    });
}

PyObject* Level_saveFile(PyObject* self, PyObject* filenameArg) {
    return guard([&] {
        Ref filename = fileNameArg(filenameArg);
        LevelObject* l = asLevel(self);
        callMethod(intern("_updateEntityMetadata"), self);
        // Encode first, so an unserialisable header leaves the old files untouched.
        Ref kwargs = Ref::checked(Py_BuildValue("{s:O,s:i}", "sort_keys", Py_True, "indent", 4));
        Ref dumps = Ref::checked(PyObject_GetAttrString(jsonModule(), "dumps"));
        Ref args = Ref::checked(PyTuple_Pack(1, metadataOf(l)));
        Ref text = Ref::checked(PyObject_Call(dumps, args, kwargs));
        Ref grid = Ref::checked(PyBytes_FromStringAndSize(reinterpret_cast<const char*>(l->grid.bytes()),
                                                          Py_ssize_t(l->grid.byteSize())));
        Ref headerName = withSuffix(filename, ".json");
        withFile(headerName, "w", [&](PyObject* f) { return callMethod(intern("write"), f, text.get()); });
        Ref line = Ref::checked(PyUnicode_FromFormat("wrote file %U", headerName.get()));
        printLine(line.get());
        withFile(filename, "wb", [&](PyObject* f) { return callMethod(intern("write"), f, grid.get()); });
        line = Ref::checked(PyUnicode_FromFormat("wrote file %U", filename.get()));
        printLine(line.get());
        return none();
    });
}

}  // namespace

void loadFromFile(PyObject* self, PyObject* filename) {
    LevelObject* l = asLevel(self);
    Ref headerName = withSuffix(filename, ".json");
    Ref header = withFile(headerName, "r", [](PyObject* f) { return callMethod(intern("read"), f); });
    Size size = loadMetadata(self, filename, header);
    loadFogSettings(self);

    // Only the grid is read: bytes past width x height cells are ignored, missing ones are zero.
    level::Grid grid(size.width, size.height);
    Ref limit = Ref::checked(PyLong_FromSize_t(grid.byteSize()));
    Ref bytes = withFile(filename, "rb", [&](PyObject* f) { return callMethod(intern("read"), f, limit.get()); });
    if (!PyBytes_Check(bytes)) {
        PyErr_SetString(PyExc_TypeError, "the grid file did not read as bytes");
        throwPy();
    }
    grid.fill(reinterpret_cast<const uint8_t*>(PyBytes_AS_STRING(bytes.get())), size_t(PyBytes_GET_SIZE(bytes.get())));
    l->grid = std::move(grid);
    loadAssets(self);
    loadEntities(self);
}

void initializeEmpty(PyObject* self, int32_t width, int32_t height) {
    try {
        LevelObject* l = asLevel(self);
        printLine("INIT EMPTY LEVEL");
        PyObject* md = metadataOf(l);
        Ref fog = Ref::checked(Py_BuildValue("[iii]", 0, 0, 0));
        Ref w = Ref::checked(PyLong_FromLong(width)), h = Ref::checked(PyLong_FromLong(height));
        Ref density = Ref::checked(PyLong_FromLong(5));
        check(PyObject_SetItem(md, intern("width"), w));
        check(PyObject_SetItem(md, intern("height"), h));
        check(PyObject_SetItem(md, intern("fogColor"), fog));
        check(PyObject_SetItem(md, intern("fogDensity"), density));
        loadFogSettings(self);
        l->grid = level::Grid(width, height);
        l->grid.surroundWithWall();
        printGrid(l, false);
        loadAssets(self);
    } catch (const PyError&) {
        reportUnraisable("Level._initializeEmpty");
    }
}

PyMethodDef fileMethods[] = {
    BV_METHOD_ARG("saveFile", Level_saveFile, "filename",
                "Writes the level to `filename` (the grid; should end with \".lvl\") and its header to "
                "`filename` + \".json\"."),
    BV_METHOD_ARG("_loadFromFile", Level_loadFromFile, "filename", "Reads the level file pair."),
    BV_METHOD("_loadMetadata", Level_loadMetadata, "Parses and checks the JSON header text."),
    BV_METHODS_END,
};

}  // namespace level_detail
}  // namespace bv
