// RaycastingRenderer: the frame set-up from Level and Camera, render, castRay and the class.
#include "render/raycasting_renderer.hpp"

#include <cmath>
#include <functional>
#include <limits>

#include "common/klass.hpp"
#include "common/one_arg.hpp"
#include "common/registry.hpp"
#include "ecs/components.hpp"
#include "ecs/sprite.hpp"
#include "geometry/vec.core.hpp"
#include "geometry/vector2.hpp"
#include "level/level.hpp"
#include "render/pixel_path.core.hpp"
#include "render/raycasting.core.hpp"
#include "resources/texture.hpp"

namespace bv {

PyTypeObject* RaycastingRendererType;

Hit missedHit() {
    Hit h{};
    h.invalid = 1;
    h.length = std::numeric_limits<double>::infinity();
    return h;
}

CameraObject* cameraOf(RaycastingRendererObject* r) {
    PyObject* c = r->camera;
    if (!c || !PyObject_TypeCheck(c, CameraType)) {
        PyErr_SetString(PyExc_RuntimeError, "RaycastingRenderer has no camera");
        throwPy();
    }
    auto* cam = reinterpret_cast<CameraObject*>(c);
    if (!cam->pos || !isVector2(cam->pos) || !cam->dir || !isVector2(cam->dir)) {
        PyErr_SetString(PyExc_RuntimeError, "The camera's pos and dir must be Vector2 objects");
        throwPy();
    }
    return cam;
}

LevelObject* levelOf(RaycastingRendererObject* r) {
    PyObject* l = r->level;
    return l && PyObject_TypeCheck(l, LevelType) ? reinterpret_cast<LevelObject*>(l) : nullptr;
}

PixelView targetOf(RaycastingRendererObject* r) {
    if (!r->target || !PyObject_TypeCheck(r->target, TextureType)) {
        PyErr_SetString(PyExc_RuntimeError, "RaycastingRenderer has no target texture");
        throwPy();
    }
    return pixelsOf(reinterpret_cast<TextureObject*>(r->target));
}

namespace {

RaycastingRendererObject* asRR(PyObject* o) { return reinterpret_cast<RaycastingRendererObject*>(o); }
Vector2Object* vec(PyObject* o) { return reinterpret_cast<Vector2Object*>(o); }

constexpr uint32_t kBackground = 0xFF00B464;  // (0, 180, 100)
constexpr int kMaxThreads = 256;

// A texture's pixels, or an empty view when it is not a texture with addressable pixels.
PixelView textureView(PyObject* t) {
    if (!t || !PyObject_TypeCheck(t, TextureType)) return {nullptr, 0, 0, 0};
    return surfacePixels(reinterpret_cast<TextureObject*>(t)->surface);
}

// Keeps the target surface locked while the frame is drawn.
struct SurfaceLock {
    SDL_Surface* s;
    explicit SurfaceLock(SDL_Surface* surface) : s(surface) { SDL_LockSurface(s); }
    ~SurfaceLock() { SDL_UnlockSurface(s); }
};

// Columns are handed out to the drawing threads in chunks of this many.
constexpr int kChunk = 64;

// The pool that draws with the renderer's number of threads, or null for the calling thread only.
ColumnPool* poolOf(RaycastingRendererObject* r) {
    const int threads = r->threads > 0 ? r->threads : machineThreads();
    if (threads == 1) return nullptr;
    if (!r->pool || r->pool->threads() != threads) r->pool = std::make_unique<ColumnPool>(threads);
    return r->pool.get();
}

// Draws walls, floor, ceiling, sky and the prepared sprites, in column chunks spread over the
// renderer's threads. Runs no Python code: every view stays valid throughout.
void renderLevel(RaycastingRendererObject* r, LevelObject* level, CameraObject* cam, const PixelView& target,
                 int64_t baseline, const SpritePass& sprites) {
    const Vector2Object* dir = vec(cam->dir);
    PixelView sky = level->skyTex ? textureView(level->skyTex) : PixelView{nullptr, 0, 0, 0};
    // Cell texture indices are bytes: at most 256 entries can be addressed.
    std::vector<PixelView> textures;
    for (Py_ssize_t i = 0, n = std::min<Py_ssize_t>(levelTextureCount(level), 256); i < n; i++)
        textures.push_back(surfacePixels(levelTextureSurface(level, i)));
    LevelView view;
    view.grid = level->grid.view();
    view.textures = textures.data();
    view.textureCount = textures.size();
    view.fogColor = level->fogColor;
    view.groundFogColor = level->groundFogColor;
    view.fogDensity = level->fogDensity;
    view.groundFogDensity = level->groundFogDensity;
    FrameView frame;
    frame.pos = {vec(cam->pos)->x, vec(cam->pos)->y};
    frame.dir = {dir->x, dir->y};
    frame.fov = cam->fov;
    frame.ratio = cam->ratio;
    frame.baseline = baseline;
    PixelView light = textureView(r->flashlight);
    const WallFrame walls(target, view, frame, &sky, std::atan2(dir->y, dir->x) * _RAD_TO_DEGREES, &light,
                          kBackground);
    Hit* hits = r->hitBuf.data();
    std::vector<SpriteProjection> projections;
    for (const SpriteDraw& s : sprites.draws) projections.push_back(projectSprite(target, s, baseline, cam->ratio));
    // A column's sprites are depth-tested against that column's hit only, so each chunk draws
    // its walls and then its part of every billboard.
    const std::function<void(size_t)> chunk = [&](size_t i) {
        const int x0 = int(i) * kChunk, x1 = std::min(target.width, x0 + kChunk);
        walls.draw(x0, x1, hits);
        for (size_t k = 0; k < sprites.draws.size(); k++)
            drawSpriteColumns(target, sprites.draws[k], projections[k], hits, sprites.fogColor,
                              sprites.groundFogColor, x0, x1);
    };
    const size_t chunks = chunkCount(target.width, kChunk);
    if (ColumnPool* pool = poolOf(r))
        pool->run(chunks, chunk);
    else
        for (size_t i = 0; i < chunks; i++) chunk(i);
}

int RR_init(PyObject* self, PyObject* args, PyObject* kwargs) {
    return guardInt([&] {
        BV_PARSE_INIT("RaycastingRenderer", 2, "target", "level");
        checkArg(a[0], TextureType, "target", /*allowNone=*/false);
        checkArg(a[1], LevelType, "level");
        Ref baseArgs = Ref::checked(PyTuple_Pack(3, a[0], reinterpret_cast<PyObject*>(PositionComponentType),
                                                 reinterpret_cast<PyObject*>(SpriteComponentType)));
        check(RendererType->tp_init(self, baseArgs, nullptr));
        RaycastingRendererObject* r = asRR(self);
        setRef(r->level, a[1]);
        Ref camera = newDefaultCamera();
        setRef(r->camera, camera);
        r->hitBuf.assign(size_t(targetOf(r).width), missedHit());
        setRef(r->flashlight, nullptr);
        return 0;
    });
}

PyObject* RR_getCamera(PyObject* self, PyObject*) { return newRefOrNone(asRR(self)->camera); }

PyObject* RR_setFlashlight(PyObject* self, PyObject* flashlight) {
    return guard([&] {
        checkArg(flashlight, TextureType, "flashlight");
        setRef(asRR(self)->flashlight, flashlight);
        return none();
    });
}

PyObject* RR_render(PyObject* self, PyObject*) {
    return guard([&] {
        RaycastingRendererObject* r = asRR(self);
        CameraObject* cam = cameraOf(r);
        Vector2Object* dir = vec(cam->dir);
        double len = std::sqrt(dir->x * dir->x + dir->y * dir->y);
        if (len != 0) {
            dir->x /= len;
            dir->y /= len;
        }
        // The Python part of the sprite pass (animation, order, engine time step) comes first, so
        // that no Python code runs while the pixels are drawn.
        SpritePass sprites;
        if (levelOf(r)) try {
                prepareSprites(r, sprites);
            } catch (const PyError&) {
                reportUnraisable("RaycastingRenderer.renderSprites");
            }
        PixelView target = targetOf(r);
        cam = cameraOf(r);
        const int64_t baseline = int64_t(cam->pitch) + target.height / 2;
        // The hit buffer follows the target's width (a replaced target keeps picking in range).
        if (r->hitBuf.size() != size_t(target.width)) r->hitBuf.assign(size_t(target.width), missedHit());
        LevelObject* level = levelOf(r);
        if (!level) {
            fillAll(target, kBackground);
            std::fill(r->hitBuf.begin(), r->hitBuf.end(), missedHit());
            return none();
        }
        SurfaceLock lock(reinterpret_cast<TextureObject*>(r->target)->surface);
        renderLevel(r, level, cam, target, baseline, sprites);
        return none();
    });
}

PyObject* RR_getThreads(PyObject* self, void*) {
    const int threads = asRR(self)->threads;
    return PyLong_FromLong(threads > 0 ? threads : machineThreads());
}

// The compiled version of the per-pixel passes that draws ("plain" or "avx2"), for benchmarks.
PyObject* RR_getPixelPath(PyObject*, void*) { return PyUnicode_FromString(pixelPathName(pixelPath())); }

int RR_setThreads(PyObject* self, PyObject* value, void*) {
    return guardInt([&] {
        RaycastingRendererObject* r = asRR(self);
        int threads = 0;
        if (value != Py_None) {
            if (!PyLong_Check(value) || PyBool_Check(value)) {
                PyErr_Format(PyExc_TypeError, "threads must be an int or None, not %.200s", Py_TYPE(value)->tp_name);
                throwPy();
            }
            long n = PyLong_AsLong(value);
            if (n == -1 && PyErr_Occurred()) throwPy();
            if (n < 0 || n > kMaxThreads) {
                PyErr_Format(PyExc_ValueError, "threads must be between 0 and %d, not %ld", kMaxThreads, n);
                throwPy();
            }
            threads = int(n);
        }
        if (threads != r->threads) r->pool.reset();  // joins the workers of the old setting
        r->threads = threads;
        return 0;
    });
}

PyObject* RR_castRay(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return guard([&] {
        BV_PARSE("castRay", 2, "pos", "dir");
        checkArg(a[0], Vector2Type, "pos", /*allowNone=*/false);
        checkArg(a[1], Vector2Type, "dir", /*allowNone=*/false);
        LevelObject* level = levelOf(asRR(self));
        if (!level) {
            PyErr_SetString(PyExc_RuntimeError, "RaycastingRenderer has no level");
            throwPy();
        }
        _internal_Vec2 pos{vec(a[0])->x, vec(a[0])->y}, dir{vec(a[1])->x, vec(a[1])->y};
        Hit hit;
        castRay(level->grid.view(), &pos, &dir, &hit);
        if (hit.invalid) return none();
        return check(newVector2(hit.pos.x, hit.pos.y));
    });
}

PyMethodDef coreMethods[] = {
    BV_METHOD_NOARGS("getCamera", RR_getCamera, "Returns the camera object that is used for rendering the scene."),
    BV_METHOD_ARG("_setFlashlight", RR_setFlashlight, "flashlight", "Sets the flashlight texture (None turns it off)."),
    BV_METHOD_NOARGS("render", RR_render, "Draws one frame of the level onto the target."),
    BV_METHOD("castRay", RR_castRay,
              "Casts a ray from pos along dir; returns where it meets a wall. If the ray leaves the level "
              "boundaries, None is returned."),
    BV_METHODS_END,
};

PyGetSetDef props[] = {
    ro<&RaycastingRendererObject::level>("level"),
    computed<RR_setThreads>("threads", RR_getThreads,
                            "Threads that draw each frame (0 or None: one per core of the machine)."),
    computed("_pixelPath", RR_getPixelPath, "The per-pixel passes in use: \"plain\" or \"avx2\"."),
    rwTyped<&RaycastingRendererObject::level, &LevelType>("_level"),
    rwTyped<&RaycastingRendererObject::camera, &CameraType>("_camera"),
    rwTyped<&RaycastingRendererObject::flashlight, &TextureType>("_flashlight"),
    propsEnd(),
};

ClassRegistration reg("RaycastingRenderer", [] {
    ClassSpec spec = specFor<RaycastingRendererObject>("RaycastingRenderer", RendererType);
    spec.doc = "Renders 2.5D levels using the raycasting technique.";
    spec.methods = joinTables<PyMethodDef>({coreMethods, pickingMethods});
    spec.getset = props;
    spec.init = RR_init;
    // Renderers still alive at interpreter exit stop their drawing threads.
    Py_AtExit(ColumnPool::shutdownAll);
    return RaycastingRendererType = createType(spec);
});

}  // namespace

}  // namespace bv
