// Level: the cell grid, the level file pair, assets, fog settings and the level's entities.
#pragma once
#include "level/grid.core.hpp"
#include "resources/texture.hpp"

#include <new>
#include <string>

namespace bv {

struct LevelObject : ResourceObject {
    PyObject* metadata;         // dict: the JSON header as loaded, written back on save
    level::Grid grid;           // width x height cells
    PyObject* skyTex;           // Texture or None
    int32_t fogDensity;
    uint32_t fogColor;          // 0xAARRGGBB
    int32_t groundFogDensity;
    uint32_t groundFogColor;    // 0xAARRGGBB
    PyObject* textureSurfaces;  // tuple of the Textures whose surfaces are the renderer's texture table
    PyObject* textures;         // list of Texture; cell texture indices refer to it
    PyObject* sprites;          // list of Sprite
    PyObject* entities;         // list of Entity
    PyObject* collisionBodies;  // list
    PyObject* assetsPath;       // str or None

    void construct() {
        new (&grid) level::Grid();
        fogColor = 0xFF000000u;
        groundFogColor = 0xFFFFFFFFu;
        // Null on allocation failure; the level_detail accessors create them on first use.
        metadata = PyDict_New();
        textures = PyList_New(0);
        sprites = PyList_New(0);
        entities = PyList_New(0);
        collisionBodies = PyList_New(0);
        PyErr_Clear();
    }
    void destroy() { grid.~Grid(); }
    void refs(auto&& f) {
        ResourceObject::refs(f);
        f(metadata);
        f(skyTex);
        f(textureSurfaces);
        f(textures);
        f(sprites);
        f(entities);
        f(collisionBodies);
        f(assetsPath);
    }
};

extern PyTypeObject* LevelType;

// Number of entries in the level's texture table.
Py_ssize_t levelTextureCount(const LevelObject* level);
// The pixel surface of texture table entry `index`, or null when the index is out of range or the
// texture has no surface. Valid while the level lives and the texture is not re-initialised.
SDL_Surface* levelTextureSurface(const LevelObject* level, Py_ssize_t index);

// The 0xAARRGGBB value (alpha 0xFF) of an (r, g, b) sequence; ValueError outside 0..255.
uint32_t colorFromRgb(PyObject* rgb);

namespace level_detail {
LevelObject* asLevel(PyObject* o);
// Fields created on first use for levels whose __init__ was skipped.
PyObject* metadataOf(LevelObject* l);
PyObject* listOf(PyObject*& field);
// 'maps/a.lvl.json', the level's header file, for messages (read with an error pending).
std::string headerName(LevelObject* l);

// Method and property tables of the level's parts; each ends with a null entry.
extern PyMethodDef fileMethods[];
extern PyMethodDef assetMethods[];
extern PyMethodDef entityMethods[];
extern PyGetSetDef assetProps[];

// Internal loading steps (Python errors propagate as PyError).
void loadFromFile(PyObject* self, PyObject* filename);
void initializeEmpty(PyObject* self, int32_t width, int32_t height);
void loadFogSettings(PyObject* self);
void loadAssets(PyObject* self);
void loadEntities(PyObject* self);
// Prints the grid picture; `wrapColumns` prints column numbers modulo 10.
void printGrid(LevelObject* l, bool wrapColumns);
}  // namespace level_detail

}  // namespace bv
