// Sprites: sheets cut into frames with named animations, and the component showing one on an entity.
#pragma once
#include "common/py.hpp"
#include "ecs/sprite.core.hpp"
#include "render/blend.core.hpp"

namespace bv {

struct SpriteAnimationObject {
    PyObject_HEAD
    PyObject* name;  // str or None
    int32_t frameCount;
    bool oscillate;
    double speed;
    int32_t startFrame;
    int32_t directions;

    void refs(auto&& f) { f(name); }
};

struct SpriteObject {
    PyObject_HEAD
    PyObject* texture;     // Texture: the sheet
    int32_t width;         // frame size in pixels
    int32_t height;
    int32_t xFrames;       // frame columns and rows; the raw properties may set any value
    int32_t yFrames;
    PyObject* animations;  // dict (name -> SpriteAnimation) or None

    void refs(auto&& f) {
        f(texture);
        f(animations);
    }
};

struct SpriteComponentObject {
    PyObject_HEAD
    PyObject* sprite;            // Sprite or None
    bool shadeless;
    BlendMode blendMode;
    double zOffset;
    double scale;
    double dist;                 // written by the renderer
    PyObject* currentAnimation;  // SpriteAnimation or None (no animation)
    double animationPercentage;
    int32_t currentMinFrame;
    int32_t currentMaxFrame;
    int32_t currentDirections;
    double animationSpeed;
    double angleToCam;           // written by the renderer

    void construct() { scale = 1.0; }
    void refs(auto&& f) {
        f(sprite);
        f(currentAnimation);
    }
};

extern PyTypeObject* SpriteAnimationType;
extern PyTypeObject* SpriteType;
extern PyTypeObject* SpriteComponentType;

// TypeError "Cannot convert <type of value> to <type>".
[[noreturn]] void throwCannotConvert(PyObject* value, PyTypeObject* to);

// The current animation of a component, or null when it has none (or holds a foreign object).
SpriteAnimationObject* currentAnimationOf(const SpriteComponentObject* c);

// Advances a component's animation by `timeStep` (nothing without an animation).
void advanceSpriteAnimation(SpriteComponentObject* c, double timeStep);

// The sheet cell to draw for a component; false when there is nothing to draw (no sprite, no
// animation, no surface, or a frame outside the sheet).
bool spriteSheetCell(const SpriteComponentObject* c, sprite::Cell& out);

}  // namespace bv
