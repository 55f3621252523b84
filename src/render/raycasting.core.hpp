// The per-pixel passes of the raycasting renderer: sky panorama, and walls with floor, ceiling,
// fog, ground fog and flashlight, one ray per target column.
#pragma once
#include <cstddef>
#include <cstdint>

#include "render/pixels.core.hpp"
#include "render/raycast.core.hpp"

namespace bv {

inline bool hasPixels(const PixelView& v) { return v.pixels && v.width > 0 && v.height > 0; }

// The level as the passes read it: the grid bytes, the texture surfaces and the fog settings.
struct LevelView {
    const uint8_t* data = nullptr;  // width * height cells
    uint32_t width = 0, height = 0;
    const PixelView* textures = nullptr;  // a view without pixels stands for an unusable surface
    size_t textureCount = 0;
    uint32_t fogColor = 0, groundFogColor = 0;
    int fogDensity = 0, groundFogDensity = 0;

    // The texture at `index`, or null when there is none to draw with.
    const PixelView* texture(unsigned index) const {
        return index < textureCount && hasPixels(textures[index]) ? &textures[index] : nullptr;
    }
};

// One frame's view: camera position and normalised direction, field of view in degrees, the
// wall height divisor and the horizon row.
struct FrameView {
    _internal_Vec2 pos, dir;
    int fov = 0;
    double ratio = 1.6;
    int64_t baseline = 0;
};

// Overwrites every target pixel with the sky panorama seen in direction `camDegrees`.
void renderSky(const PixelView& target, const PixelView& sky, double camDegrees, int fov, int64_t baseline);

// Casts one ray per column and draws walls, floor, ceiling and the flashlight (null: off);
// `hits` receives one entry per target column.
void renderWalls(const PixelView& target, const LevelView& level, const FrameView& view, const PixelView* flashlight,
                 Hit* hits);

}  // namespace bv
