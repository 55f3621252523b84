// UITheme: the tileset, fonts, colours and widget specifications of a JSON theme file.
#include "common/error_context.hpp"
#include "common/klass.hpp"
#include "common/registry.hpp"
#include "resources/texture.hpp"
#include "ui/layout_cache.hpp"
#include "ui/widget_calls.hpp"
#include "ui/objects.hpp"

namespace bv {

PyTypeObject* UIThemeType;

namespace {

UIThemeObject* asTheme(PyObject* o) { return reinterpret_cast<UIThemeObject*>(o); }

PyObject* global(const char* name) {
    PyObject* g = moduleGlobal(name);
    if (!g) {
        PyErr_Format(PyExc_RuntimeError, "brovaline.%s is not available", name);
        throwPy();
    }
    return g;
}

// Parses the JSON file; the file is closed whether or not parsing succeeds.
Ref readJson(PyObject* filename) {
    Ref builtins = Ref::checked(PyImport_ImportModule("builtins"));
    Ref open = Ref::checked(PyObject_GetAttrString(builtins, "open"));
    Ref file = callObject(open.get(), filename);
    Ref data = Ref::steal(PyObject_CallMethod(global("_json"), "load", "O", file.get()));
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    Ref closed = Ref::steal(PyObject_CallMethod(file, "close", nullptr));
    if (type) {
        PyErr_Clear();
        PyErr_Restore(type, value, tb);
        throwPy();
    }
    if (!closed) throwPy();
    return data;
}

// obj[key]; a KeyError names the theme file and where the key was missing ("fonts.aileron").
Ref member(PyObject* obj, const char* key, const std::string& file, const std::string& where = "the theme") {
    Ref k = Ref::checked(PyUnicode_FromString(key));
    PyObject* v = PyObject_GetItem(obj, k);
    if (!v) rethrowWithContext(file + ": " + where);
    return Ref::steal(v);
}

// A colour string (any value, by its text form) as an integer: hexadecimal, "0x" optional.
Ref parseColor(PyObject* value) {
    Ref text = Ref::checked(PyObject_Str(value));
    Ref prefix = Ref::checked(PyUnicode_FromString("0x")), upperPrefix = Ref::checked(PyUnicode_FromString("0X"));
    bool prefixed = check(int(PyUnicode_Tailmatch(text, prefix, 0, PY_SSIZE_T_MAX, -1))) ||
                    check(int(PyUnicode_Tailmatch(text, upperPrefix, 0, PY_SSIZE_T_MAX, -1)));
    if (!prefixed) text = Ref::checked(PyUnicode_Concat(prefix, text));
    return Ref::checked(PyLong_FromUnicodeObject(text, 16));
}

// (r, g, b, a) of an integer colour 0xAARRGGBB.
Ref colorTuple(PyObject* color) {
    unsigned long long c = PyLong_AsUnsignedLongLongMask(color);
    if (PyErr_Occurred()) throwPy();
    return Ref::checked(Py_BuildValue("(kkkk)", (unsigned long)((c & 0xFF0000) >> 16), (unsigned long)((c & 0xFF00) >> 8),
                                      (unsigned long)(c & 0xFF), (unsigned long)((c & 0xFF000000) >> 24)));
}

void loadTheme(UIThemeObject* t, PyObject* filename) {
    Ref fileText = Ref::checked(PyObject_Repr(filename));
    setRef(t->fileText, fileText);
    Ref data = readJson(filename);
    std::string file = reprText(filename);
    Ref widgets = member(data, "widgets", file);
    if (!PyDict_Check(widgets.get())) {
        PyErr_Format(PyExc_TypeError, "the theme's \"widgets\" must be a JSON object, not %.200s",
                     Py_TYPE(widgets.get())->tp_name);
        throwPy();
    }
    setRef(t->widgetSpecs, widgets);
    PyObject* ospath = global("_ospath");
    Ref base = Ref::checked(PyObject_CallMethod(ospath, "dirname", "O", filename));
    auto resolve = [&](PyObject* relative) { return Ref::checked(PyObject_CallMethod(ospath, "join", "OO", base.get(), relative)); };

    Ref tilesetName = member(data, "tileset", file);
    Ref tilesetPath = resolve(tilesetName);
    Ref tileset;
    try {
        tileset = callObject(reinterpret_cast<PyObject*>(TextureType), tilesetPath.get());
    } catch (const PyError&) {
        rethrowWithContext(file + ": tileset");
    }
    setRef(t->tileset, tileset);

    Ref fonts = member(data, "fonts", file);
    Ref fontNames = Ref::checked(PySequence_List(fonts));
    PyObject* fontClass = global("Font");
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(fontNames.get()); ++i) {
        PyObject* name = PyList_GET_ITEM(fontNames.get(), i);
        Ref entry = Ref::checked(PyObject_GetItem(fonts, name));
        std::string where = "fonts[" + reprText(name) + "]";
        Ref fontFile = member(entry, "file", file, where), size = member(entry, "size", file, where);
        Ref path = resolve(fontFile);
        Ref font;
        try {
            font = callObject(fontClass, path.get(), size.get());
        } catch (const PyError&) {
            rethrowWithContext(file + ": " + where);
        }
        check(PyDict_SetItem(t->fonts, name, font));
    }

    Ref colors = member(data, "colors", file);
    Ref colorNames = Ref::checked(PySequence_List(colors));
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(colorNames.get()); ++i) {
        PyObject* name = PyList_GET_ITEM(colorNames.get(), i);
        Ref value = Ref::checked(PyObject_GetItem(colors, name));
        Ref color;
        try {
            color = parseColor(value);
        } catch (const PyError&) {
            rethrowWithContext(file + ": colors[" + reprText(name) + "] should be hexadecimal AARRGGBB text such as \"FFE8ECF4\"");
        }
        check(PyDict_SetItem(t->intColors, name, color));
        Ref tuple = colorTuple(color);
        check(PyDict_SetItem(t->tupleColors, name, tuple));
    }
}

int UITheme_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("UITheme", 1, "filename");
        UIThemeObject* t = asTheme(self);
        for (PyObject** dict : {&t->fonts, &t->intColors, &t->tupleColors, &t->widgetSpecs}) {
            Ref d = Ref::checked(PyDict_New());
            setRef(*dict, d);
        }
        setRef(t->tileset, Py_None);
        t->serial = ui::newLayoutSerial();
        loadTheme(t, a[0]);
        return 0;
    });
}

// A dictionary field, created empty when __init__ did not run.
PyObject* dictOf(PyObject*& field) {
    if (!field || !PyDict_Check(field)) {
        Ref d = Ref::checked(PyDict_New());
        setRef(field, d);
    }
    return field;
}

PyObject* lookup(PyObject* dict, PyObject* name) {
    PyObject* v = PyDict_GetItemWithError(dict, name);
    if (!v) {
        if (!PyErr_Occurred()) PyErr_SetObject(PyExc_KeyError, name);
        throwPy();
    }
    return Py_NewRef(v);
}

PyObject* UITheme_getIntColor(PyObject* self, PyObject* name) {
    return guard([&] { return lookup(dictOf(asTheme(self)->intColors), name); });
}

PyObject* UITheme_getColor(PyObject* self, PyObject* name) {
    return guard([&] { return lookup(dictOf(asTheme(self)->tupleColors), name); });
}

PyObject* UITheme_getFont(PyObject* self, PyObject* name) {
    return guard([&] {
        checkArg(name, &PyUnicode_Type, "name");
        return lookup(dictOf(asTheme(self)->fonts), name);
    });
}

PyObject* UITheme_convertRgbaToIntColor(PyObject*, PyObject* color) {
    return guard([&] {
        Ref items = Ref::checked(PySequence_Tuple(color));
        Py_ssize_t n = PyTuple_GET_SIZE(items.get());
        if (n != 3 && n != 4) {
            PyErr_Format(PyExc_ValueError, "expected 3 or 4 values to unpack (got %zd)", n);
            throwPy();
        }
        Ref alpha = n == 4 ? Ref::borrow(PyTuple_GET_ITEM(items.get(), 3)) : Ref::checked(PyLong_FromLong(255));
        // b | g << 8 | r << 16 | a << 24, on host integers (values are not range-checked).
        PyObject* parts[4] = {PyTuple_GET_ITEM(items.get(), 2), PyTuple_GET_ITEM(items.get(), 1),
                              PyTuple_GET_ITEM(items.get(), 0), alpha.get()};
        Ref result = Ref::checked(PyNumber_Index(parts[0]));
        for (int i = 1; i < 4; ++i) {
            Ref shift = Ref::checked(PyLong_FromLong(8 * i));
            Ref shifted = Ref::checked(PyNumber_Lshift(parts[i], shift));
            result = Ref::checked(PyNumber_Or(result, shifted));
        }
        return result.release();
    });
}

PyObject* UITheme_widgets(PyObject* self, void*) {
    return guard([&] { return Py_NewRef(dictOf(asTheme(self)->widgetSpecs)); });
}

PyMethodDef methods[] = {
    BV_METHOD_ARG("getIntColor", UITheme_getIntColor, "name",
              "Returns the RGB color as an int with one byte per color (all four bytes: 0xAARRGGBB, alpha on top)"),
    BV_METHOD_ARG("getColor", UITheme_getColor, "name", "Returns the RGBA color as a tuple"),
    BV_METHOD_ARG("getFont", UITheme_getFont, "name",
              "Returns the font loaded under this name."),
    BV_METHOD_ARG("_convertRgbaToIntColor", UITheme_convertRgbaToIntColor, "color",
                "Converts (r, g, b[, a]) to 0xAARRGGBB; alpha defaults to 255."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    computed("widgets", UITheme_widgets, "The widget specifications of the theme file."),
    propsEnd(),
};

ClassRegistration reg("UITheme", [] {
    ClassSpec spec = specFor<UIThemeObject>("UITheme");
    spec.doc = "The widgets' tileset, fonts, colours and widget specifications, loaded from a JSON file.";
    spec.methods = methods;
    spec.getset = props;
    spec.init = UITheme_init;
    return UIThemeType = createType(spec);
});

}  // namespace

}  // namespace bv
