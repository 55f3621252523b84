// RaycastingRenderer: draws a Level from a Camera with walls, floor, ceiling, sky, fog and sprites.
#pragma once
#include <memory>
#include <new>
#include <vector>

#include "render/camera.hpp"
#include "render/column_pool.core.hpp"
#include "render/pixels.core.hpp"
#include "render/raycast.core.hpp"
#include "render/renderer.hpp"
#include "render/sprite_render.core.hpp"

namespace bv {

struct LevelObject;

struct RaycastingRendererObject : RendererObject {
    PyObject* level;          // Level or None
    PyObject* camera;         // Camera or None
    std::vector<Hit> hitBuf;  // the wall hit of every target column of the last frame
    PyObject* flashlight;     // Texture or None
    int threads;              // drawing threads; 0: one per core
    std::unique_ptr<ColumnPool> pool;  // started by the first frame drawn with more than one thread

    void construct() {
        new (&hitBuf) std::vector<Hit>();
        new (&pool) std::unique_ptr<ColumnPool>();
    }
    void destroy() {
        pool.~unique_ptr();  // joins the workers
        hitBuf.~vector();
    }
    void refs(auto&& f) {
        RendererObject::refs(f);
        f(level);
        f(camera);
        f(flashlight);
    }
};

extern PyTypeObject* RaycastingRendererType;

// A hit that met nothing: what a column holds before its first frame.
Hit missedHit();

// The camera, with Vector2 position and direction (RuntimeError otherwise).
CameraObject* cameraOf(RaycastingRendererObject* r);
// The level, or null when it is None.
LevelObject* levelOf(RaycastingRendererObject* r);
// The pixels of the renderer's target texture (RuntimeError without one).
PixelView targetOf(RaycastingRendererObject* r);

// The billboards of one frame, projected and ready to draw, far to near.
struct SpritePass {
    std::vector<SpriteDraw> draws;
    std::vector<Ref> sheets;  // keeps the sheet textures of `draws` alive
    uint32_t fogColor = 0, groundFogColor = 0;
};

// The Python part of the sprite pass: advances every sprite's animation, sorts the renderer's
// entities and projects them into `pass`. Python errors propagate; the sprites prepared before
// the error stay in `pass`.
void prepareSprites(RaycastingRendererObject* r, SpritePass& pass);

// getEntityAtScreenCoords, getWorldPosByScreenCoords, getWorldCellByScreenCoords.
extern PyMethodDef pickingMethods[];

}  // namespace bv
