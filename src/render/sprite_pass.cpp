// The Python part of the sprite pass of RaycastingRenderer: animation, fog amounts and placement
// of every sprite entity, far to near, ready for the per-pixel pass.
#include <algorithm>

#include "ecs/ecs.hpp"
#include "level/level.hpp"
#include "render/raycasting_renderer.hpp"
#include "render/sprite_order.hpp"
#include "render/sprite_render.core.hpp"
#include "render/truncate.core.hpp"
#include "resources/texture.hpp"

namespace bv {

namespace {

// The engine's time step, 0 while the renderer belongs to no engine.
double engineTimeStep(RaycastingRendererObject* r) {
    if (!r->engine || r->engine == Py_None) return 0;
    Ref step = callMethod(intern("getTimeStep"), r->engine);
    return toDouble(step);
}

// A sprite entity the pass cannot draw ends the pass for the frame.
[[noreturn]] void throwUndrawable(const SpriteEntity& e, const char* what) {
    long long id = PyObject_TypeCheck(e.entity, EntityType) ? reinterpret_cast<EntityObject*>(e.entity)->id : -1;
    PyErr_Format(PyExc_AttributeError, "the SpriteComponent of entity %lld has no %s", id, what);
    throwPy();
}

PixelView sheetOf(const SpriteComponentObject* c) {
    auto* s = reinterpret_cast<SpriteObject*>(c->sprite);
    return surfacePixels(reinterpret_cast<TextureObject*>(s->texture)->surface);
}

}  // namespace

void prepareSprites(RaycastingRendererObject* r, SpritePass& pass) {
    LevelObject* level = levelOf(r);
    if (!level) return;
    pass.fogColor = level->fogColor;
    pass.groundFogColor = level->groundFogColor;
    const double timeStep = engineTimeStep(r);
    CameraObject* cam = cameraOf(r);
    auto* camPos = reinterpret_cast<Vector2Object*>(cam->pos);
    const _internal_Matrix2_2 inverse = viewInverse(reinterpret_cast<Vector2Object*>(cam->dir));
    const std::vector<SpriteEntity> order = sortFarToNear(r->entities, camPos, /*withAngles=*/true);
    int64_t groundFogAlpha = 0;
    for (const SpriteEntity& e : order) {
        SpriteComponentObject* c = e.sprite;
        if (!currentAnimationOf(c)) throwUndrawable(e, "current animation");
        advanceSpriteAnimation(c, timeStep);
        if (level->groundFogDensity > 0)
            groundFogAlpha = std::min<int64_t>(truncSat(level->groundFogDensity * c->dist), 255);
        const int64_t fogAlpha = truncSat(level->fogDensity * c->dist);
        const _internal_Vec2 rel = _internal_matrix2_2_apply(inverse, {e.pos->x - camPos->x, e.pos->y - camPos->y});
        if (rel.x <= 0) continue;
        if (!c->sprite || !PyObject_TypeCheck(c->sprite, SpriteType)) throwUndrawable(e, "sprite");
        sprite::Cell cell;
        if (!spriteSheetCell(c, cell)) continue;
        SpriteDraw draw{sheetOf(c), cell, rel.x, rel.y, c->scale, c->zOffset, c->shadeless, c->blendMode,
                        fogAlpha, groundFogAlpha};
        if (!draw.sheet.pixels) continue;
        pass.sheets.push_back(Ref::borrow(reinterpret_cast<SpriteObject*>(c->sprite)->texture));
        pass.draws.push_back(draw);
    }
}

}  // namespace bv
