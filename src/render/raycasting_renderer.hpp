// RaycastingRenderer: draws a Level from a Camera with walls, floor, ceiling, sky, fog and sprites.
#pragma once
#include <new>
#include <vector>

#include "render/camera.hpp"
#include "render/pixels.core.hpp"
#include "render/raycast.core.hpp"
#include "render/renderer.hpp"

namespace bv {

struct LevelObject;

struct RaycastingRendererObject : RendererObject {
    PyObject* level;          // Level or None
    PyObject* camera;         // Camera or None
    std::vector<Hit> hitBuf;  // the wall hit of every target column of the last frame
    PyObject* flashlight;     // Texture or None

    void construct() { new (&hitBuf) std::vector<Hit>(); }
    void destroy() { hitBuf.~vector(); }
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

// The sprite pass of a frame, after the walls (Python errors propagate).
void renderSprites(RaycastingRendererObject* r, const PixelView& target, int64_t baseline);

// getEntityAtScreenCoords, getWorldPosByScreenCoords, getWorldCellByScreenCoords.
extern PyMethodDef pickingMethods[];

}  // namespace bv
